// English texts of the print engine.
#include "langres/common_resources.h"

namespace {

const VyrStringResource kStrings[] = {
    {IDS_NO_LINK_LIBRARY, "The printer link could not be started, so nothing was printed. "
           "Reinstall the printer software, then print again."},
    {IDS_PAGE_NOT_LOADED, "The page could not be loaded, so it was not printed. Send the page to the printer again."},
    {IDS_PRINTER_NOT_FOUND, "The printer does not answer. Check that it is switched on, connected to the parallel "
           "port and loaded with paper and ribbon, then print again."},
    {IDS_PRINTER_ABORT, "The printer stopped the print. Clear the fault shown on the printer (paper, ribbon, "
           "cover), then print again."},
    {IDS_TRANSFER_FAILED, "Data could not be sent to the printer. Check the printer cable and that the printer is "
           "switched on, then print again."},
    {IDS_LINK_NOT_LOADED, "The printer link library (lptgate) could not be loaded. Reinstall the printer software, "
           "then print again."},
    {IDS_NO_GETDLLVERSION, "The printer link library (lptgate) is incomplete: GetDLLversion is missing. Reinstall "
           "the printer software, then print again."},
    {IDS_NO_COMMAND_SET, "The printer link library (lptgate) is incomplete: Command_set is missing. Reinstall "
           "the printer software, then print again."},
    {IDS_NO_IS_READY, "The printer link library (lptgate) is incomplete: Is_Ready is missing. Reinstall the "
           "printer software, then print again."},
    {IDS_NO_LPT_RESET, "The printer link library (lptgate) is incomplete: LPT_Reset is missing. Reinstall the "
           "printer software, then print again."},
    {IDS_NO_INITPORT, "The printer link library (lptgate) is incomplete: InitPort is missing. Reinstall the "
           "printer software, then print again."},
    {IDS_MEDIA_TABLE_SHORT, "The media table (media.rtb) is too short, so standard media values are used. Reinstall "
           "the media table for the best colours."},
    {IDS_MEDIA_TABLE_MISSING, "The media table (media.rtb) was not found, so standard media values are used. Reinstall "
           "the media table for the best colours."},
    {IDS_MATCH_TABLE_MISSING, "The colour-matching table named in the settings (MatchFile) was not found, so the page is "
           "printed without colour matching. Check the setting or reinstall the table."},
    {IDS_OUT_OF_MEMORY, "There is not enough memory to prepare the page; it may be printed without some of its "
           "corrections, or not at all. Close other programs and print again."},
    {IDS_MATCH_TABLE_SHORT, "The colour-matching table is too short, so the page is printed without colour matching. "
           "Reinstall the table."},
    {IDS_NO_PAGE, "There is no page to print. Send the page to the printer again."},
    {IDS_PAGE_NOT_24_BIT, "The page is not a 24-bit colour picture and cannot be printed. Send it again as a 24-bit "
           "colour picture."},
    {IDS_FAULT_RETRY, "The printer reports a fault (paper or ribbon out, or the cover open). Clear the fault, "
           "then choose Yes to try again, or No to stop printing."},
    {IDS_FAULT_FATAL, "The printer reports a fault that ends this print. Switch the printer off and on again, "
           "then print again."},
    {IDS_PRINTER_NOT_READY, "The printer was not ready for a command. If the print is not right, check the printer "
           "and print again."},
    {IDS_TEMPERATURE_MISSING, "The head temperature file (tempera.tur) was not found, so standard values are used. "
           "Reinstall the file for the best prints."},
    {IDS_TEMPERATURE_SHORT, "The head temperature file (tempera.tur) is too short, so standard values are used. "
           "Reinstall the file for the best prints."},
    {IDS_BUTTON_YES, "Yes"},
    {IDS_BUTTON_NO, "No"},
    {IDS_CAPTION_READY_WAIT, "Waiting for the printer"},
    {IDS_CAPTION_PRINTER, "Printer"},
    {IDS_CAPTION_LOADING, "Loading the page"},
};

constexpr auto kItems = ProgressDialogItems("OK");
const VyrDialogTemplate kDialogs[] = {
    {kProgressDialogId, "Printing", kProgressDialogWidth, kProgressDialogHeight, kItems.data(),
     static_cast<uint32_t>(kItems.size())},
};

const VyrResourceTable kTable = VYR_RESOURCE_TABLE("English", kStrings, kDialogs);

}  // namespace

extern "C" VYR_EXPORT const VyrResourceTable* VyrResources() { return &kTable; }
