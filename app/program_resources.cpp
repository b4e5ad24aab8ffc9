#include "app/program_resources.h"

#include "langres/common_resources.h"

namespace {

const VyrResourceTable kProgramTable = {
    "", nullptr, 0, nullptr, 0, kPrinterIcons,
    static_cast<uint32_t>(sizeof kPrinterIcons / sizeof kPrinterIcons[0]),
};

}  // namespace

const VyrResourceTable* ProgramResources() { return &kProgramTable; }
