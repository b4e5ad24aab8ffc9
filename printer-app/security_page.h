// The Security page, in place of PAPPL's: sets the application's password.
// (PAPPL 1.3's page checks the old password with papplSystemHashPassword,
// which never reproduces a stored hash, so it never takes one.) Whoever
// reaches it is an administrator already, or, before there is one, on this
// machine (admin_access.h).
#pragma once

#include <pappl/pappl.h>

// Registers the page; call before the system runs (PAPPL adds its own page
// only where none is registered).
void AddSecurityPage(pappl_system_t* system);
