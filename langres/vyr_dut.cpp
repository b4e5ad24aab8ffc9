// Dutch texts of the print engine.
#include "langres/common_resources.h"

namespace {

const VyrStringResource kStrings[] = {
    {IDS_NO_LINK_LIBRARY, "De verbinding met de printer kon niet worden gestart, dus er is niets afgedrukt. "
           "Installeer de printersoftware opnieuw en druk daarna opnieuw af."},
    {IDS_PAGE_NOT_LOADED, "De pagina kon niet worden geladen en is niet afgedrukt. Stuur de pagina opnieuw naar"
           " de printer."},
    {IDS_PRINTER_NOT_FOUND, "De printer antwoordt niet. Controleer of hij aanstaat, op de parallelle poort is "
           "aangesloten en papier en lint heeft, en druk daarna opnieuw af."},
    {IDS_PRINTER_ABORT, "De printer heeft het afdrukken afgebroken. Verhelp de storing die de printer meldt "
           "(papier, lint, klep) en druk daarna opnieuw af."},
    {IDS_TRANSFER_FAILED, "Er konden geen gegevens naar de printer worden gestuurd. Controleer de printerkabel "
           "en of de printer aanstaat, en druk daarna opnieuw af."},
    {IDS_LINK_NOT_LOADED, "De printerverbindingsbibliotheek (lptgate) kon niet worden geladen. Installeer de "
           "printersoftware opnieuw en druk daarna opnieuw af."},
    {IDS_NO_GETDLLVERSION, "De printerverbindingsbibliotheek (lptgate) is onvolledig: GetDLLversion ontbreekt. "
           "Installeer de printersoftware opnieuw en druk daarna opnieuw af."},
    {IDS_NO_COMMAND_SET, "De printerverbindingsbibliotheek (lptgate) is onvolledig: Command_set ontbreekt. "
           "Installeer de printersoftware opnieuw en druk daarna opnieuw af."},
    {IDS_NO_IS_READY, "De printerverbindingsbibliotheek (lptgate) is onvolledig: Is_Ready ontbreekt. "
           "Installeer de printersoftware opnieuw en druk daarna opnieuw af."},
    {IDS_NO_LPT_RESET, "De printerverbindingsbibliotheek (lptgate) is onvolledig: LPT_Reset ontbreekt. "
           "Installeer de printersoftware opnieuw en druk daarna opnieuw af."},
    {IDS_NO_INITPORT, "De printerverbindingsbibliotheek (lptgate) is onvolledig: InitPort ontbreekt. "
           "Installeer de printersoftware opnieuw en druk daarna opnieuw af."},
    {IDS_MEDIA_TABLE_SHORT, "De mediatabel (media.rtb) is te kort, daarom worden standaardwaarden gebruikt. "
           "Installeer de mediatabel opnieuw voor de beste kleuren."},
    {IDS_MEDIA_TABLE_MISSING, "De mediatabel (media.rtb) is niet gevonden, daarom worden standaardwaarden gebruikt."
           " Installeer de mediatabel opnieuw voor de beste kleuren."},
    {IDS_MATCH_TABLE_MISSING, "De kleurcorrectietabel uit de instellingen (MatchFile) is niet gevonden; de pagina "
           "wordt zonder kleurcorrectie afgedrukt. Controleer de instelling of installeer de "
           "tabel opnieuw."},
    {IDS_OUT_OF_MEMORY, "Er is niet genoeg geheugen om de pagina voor te bereiden; ze wordt mogelijk zonder "
           "een deel van de correcties of helemaal niet afgedrukt. Sluit andere programma's en "
           "druk opnieuw af."},
    {IDS_MATCH_TABLE_SHORT, "De kleurcorrectietabel is te kort; de pagina wordt zonder kleurcorrectie afgedrukt. "
           "Installeer de tabel opnieuw."},
    {IDS_NO_PAGE, "Er is geen pagina om af te drukken. Stuur de pagina opnieuw naar de printer."},
    {IDS_PAGE_NOT_24_BIT, "De pagina is geen 24-bits kleurenafbeelding en kan niet worden afgedrukt. Stuur haar"
           " opnieuw als 24-bits kleurenafbeelding."},
    {IDS_FAULT_RETRY, "De printer meldt een storing (papier of lint op, of de klep open). Verhelp de "
           "storing en kies Ja om het opnieuw te proberen, of Nee om het afdrukken te stoppen."},
    {IDS_FAULT_FATAL, "De printer meldt een storing die deze afdruk beëindigt. Zet de printer uit en weer "
           "aan en druk daarna opnieuw af."},
    {IDS_PRINTER_NOT_READY, "De printer was niet klaar voor een opdracht. Controleer de printer en druk opnieuw "
           "af als de afdruk niet goed is."},
    {IDS_TEMPERATURE_MISSING, "Het bestand met de koptemperaturen (tempera.tur) is niet gevonden, daarom worden "
           "standaardwaarden gebruikt. Installeer het bestand opnieuw voor de beste afdrukken."},
    {IDS_TEMPERATURE_SHORT, "Het bestand met de koptemperaturen (tempera.tur) is te kort, daarom worden "
           "standaardwaarden gebruikt. Installeer het bestand opnieuw voor de beste afdrukken."},
    {IDS_BUTTON_YES, "Ja"},
    {IDS_BUTTON_NO, "Nee"},
    {IDS_CAPTION_READY_WAIT, "Wachten op de printer"},
    {IDS_CAPTION_PRINTER, "Printer"},
    {IDS_CAPTION_LOADING, "Pagina laden"},
};

constexpr auto kItems = ProgressDialogItems("OK");
const VyrDialogTemplate kDialogs[] = {
    {kProgressDialogId, "Afdrukken", kProgressDialogWidth, kProgressDialogHeight, kItems.data(),
     static_cast<uint32_t>(kItems.size())},
};

const VyrResourceTable kTable = VYR_RESOURCE_TABLE("Nederlands", kStrings, kDialogs);

}  // namespace

extern "C" VYR_EXPORT const VyrResourceTable* VyrResources() { return &kTable; }
