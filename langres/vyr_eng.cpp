// English texts of the print engine.
#include "langres/common_resources.h"

namespace {

const VyrStringResource kStrings[] = {
    {2001, "The printer link could not be started, so nothing was printed. "
           "Reinstall the printer software, then print again."},
    {2003, "The page could not be loaded, so it was not printed. Send the page to the printer again."},
    {2004, "The printer does not answer. Check that it is switched on, connected to the parallel "
           "port and loaded with paper and ribbon, then print again."},
    {2005, "The printer stopped the print. Clear the fault shown on the printer (paper, ribbon, "
           "cover), then print again."},
    {2006, "Data could not be sent to the printer. Check the printer cable and that the printer is "
           "switched on, then print again."},
    {2007, "The printer link library (lptgate) could not be loaded. Reinstall the printer software, "
           "then print again."},
    {2008, "The printer link library (lptgate) is incomplete: GetDLLversion is missing. Reinstall "
           "the printer software, then print again."},
    {2009, "The printer link library (lptgate) is incomplete: Command_set is missing. Reinstall "
           "the printer software, then print again."},
    {2010, "The printer link library (lptgate) is incomplete: Is_Ready is missing. Reinstall the "
           "printer software, then print again."},
    {2011, "The printer link library (lptgate) is incomplete: LPT_Reset is missing. Reinstall the "
           "printer software, then print again."},
    {2012, "The printer link library (lptgate) is incomplete: InitPort is missing. Reinstall the "
           "printer software, then print again."},
    {2013, "The media table (media.rtb) is too short, so standard media values are used. Reinstall "
           "the media table for the best colours."},
    {2014, "The media table (media.rtb) was not found, so standard media values are used. Reinstall "
           "the media table for the best colours."},
    {2015, "The colour-matching table named in the settings (MatchFile) was not found, so the page is "
           "printed without colour matching. Check the setting or reinstall the table."},
    {2016, "There is not enough memory to prepare the page; it may be printed without some of its "
           "corrections, or not at all. Close other programs and print again."},
    {2017, "The colour-matching table is too short, so the page is printed without colour matching. "
           "Reinstall the table."},
    {2018, "There is no page to print. Send the page to the printer again."},
    {2019, "The page is not a 24-bit colour picture and cannot be printed. Send it again as a 24-bit "
           "colour picture."},
    {2026, "The printer reports a fault (paper or ribbon out, or the cover open). Clear the fault, "
           "then choose Yes to try again, or No to stop printing."},
    {2027, "The printer reports a fault that ends this print. Switch the printer off and on again, "
           "then print again."},
    {2028, "The printer was not ready for a command. If the print is not right, check the printer "
           "and print again."},
    {2029, "The head temperature file (tempera.tur) was not found, so standard values are used. "
           "Reinstall the file for the best prints."},
    {2030, "The head temperature file (tempera.tur) is too short, so standard values are used. "
           "Reinstall the file for the best prints."},
    {2032, "Waiting for the printer"},
    {2033, "Printer"},
    {2034, "Loading the page"},
};

constexpr auto kItems = ProgressDialogItems("OK");
const VyrDialogTemplate kDialogs[] = {
    {kProgressDialogId, "Printing", kProgressDialogWidth, kProgressDialogHeight, kItems.data(),
     static_cast<uint32_t>(kItems.size())},
};

const VyrResourceTable kTable = VYR_RESOURCE_TABLE("English", kStrings, kDialogs);

}  // namespace

extern "C" VYR_EXPORT const VyrResourceTable* VyrResources() { return &kTable; }
