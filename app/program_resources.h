// The program's own resources: icon 128 only. Registered with the framework
// at start, they are what it finds while no language module is in use.
#pragma once

#include "framework/resources.h"

const VyrResourceTable* ProgramResources();
