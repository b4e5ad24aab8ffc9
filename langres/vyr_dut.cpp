// Dutch texts of the print engine.
#include "langres/common_resources.h"

namespace {

const VyrStringResource kStrings[] = {
    {2001, "De verbinding met de printer kon niet worden gestart, dus er is niets afgedrukt. "
           "Installeer de printersoftware opnieuw en druk daarna opnieuw af."},
    {2003, "De pagina kon niet worden geladen en is niet afgedrukt. Stuur de pagina opnieuw naar"
           " de printer."},
    {2004, "De printer antwoordt niet. Controleer of hij aanstaat, op de parallelle poort is "
           "aangesloten en papier en lint heeft, en druk daarna opnieuw af."},
    {2005, "De printer heeft het afdrukken afgebroken. Verhelp de storing die de printer meldt "
           "(papier, lint, klep) en druk daarna opnieuw af."},
    {2006, "Er konden geen gegevens naar de printer worden gestuurd. Controleer de printerkabel "
           "en of de printer aanstaat, en druk daarna opnieuw af."},
    {2007, "De printerverbindingsbibliotheek (lptgate) kon niet worden geladen. Installeer de "
           "printersoftware opnieuw en druk daarna opnieuw af."},
    {2008, "De printerverbindingsbibliotheek (lptgate) is onvolledig: GetDLLversion ontbreekt. "
           "Installeer de printersoftware opnieuw en druk daarna opnieuw af."},
    {2009, "De printerverbindingsbibliotheek (lptgate) is onvolledig: Command_set ontbreekt. "
           "Installeer de printersoftware opnieuw en druk daarna opnieuw af."},
    {2010, "De printerverbindingsbibliotheek (lptgate) is onvolledig: Is_Ready ontbreekt. "
           "Installeer de printersoftware opnieuw en druk daarna opnieuw af."},
    {2011, "De printerverbindingsbibliotheek (lptgate) is onvolledig: LPT_Reset ontbreekt. "
           "Installeer de printersoftware opnieuw en druk daarna opnieuw af."},
    {2012, "De printerverbindingsbibliotheek (lptgate) is onvolledig: InitPort ontbreekt. "
           "Installeer de printersoftware opnieuw en druk daarna opnieuw af."},
    {2013, "De mediatabel (media.rtb) is te kort, daarom worden standaardwaarden gebruikt. "
           "Installeer de mediatabel opnieuw voor de beste kleuren."},
    {2014, "De mediatabel (media.rtb) is niet gevonden, daarom worden standaardwaarden gebruikt."
           " Installeer de mediatabel opnieuw voor de beste kleuren."},
    {2015, "De kleurcorrectietabel uit de instellingen (MatchFile) is niet gevonden; de pagina "
           "wordt zonder kleurcorrectie afgedrukt. Controleer de instelling of installeer de "
           "tabel opnieuw."},
    {2016, "Er is niet genoeg geheugen om de pagina voor te bereiden; ze wordt mogelijk zonder "
           "een deel van de correcties of helemaal niet afgedrukt. Sluit andere programma's en "
           "druk opnieuw af."},
    {2017, "De kleurcorrectietabel is te kort; de pagina wordt zonder kleurcorrectie afgedrukt. "
           "Installeer de tabel opnieuw."},
    {2018, "Er is geen pagina om af te drukken. Stuur de pagina opnieuw naar de printer."},
    {2019, "De pagina is geen 24-bits kleurenafbeelding en kan niet worden afgedrukt. Stuur haar"
           " opnieuw als 24-bits kleurenafbeelding."},
    {2026, "De printer meldt een storing (papier of lint op, of de klep open). Verhelp de "
           "storing en kies Ja om het opnieuw te proberen, of Nee om het afdrukken te stoppen."},
    {2027, "De printer meldt een storing die deze afdruk beëindigt. Zet de printer uit en weer "
           "aan en druk daarna opnieuw af."},
    {2028, "De printer was niet klaar voor een opdracht. Controleer de printer en druk opnieuw "
           "af als de afdruk niet goed is."},
    {2029, "Het bestand met de koptemperaturen (tempera.tur) is niet gevonden, daarom worden "
           "standaardwaarden gebruikt. Installeer het bestand opnieuw voor de beste afdrukken."},
    {2030, "Het bestand met de koptemperaturen (tempera.tur) is te kort, daarom worden "
           "standaardwaarden gebruikt. Installeer het bestand opnieuw voor de beste afdrukken."},
    {2032, "Wachten op de printer"},
    {2033, "Printer"},
    {2034, "Pagina laden"},
};

constexpr auto kItems = ProgressDialogItems("OK");
const VyrDialogTemplate kDialogs[] = {
    {kProgressDialogId, "Afdrukken", kProgressDialogWidth, kProgressDialogHeight, kItems.data(),
     static_cast<uint32_t>(kItems.size())},
};

const VyrResourceTable kTable = VYR_RESOURCE_TABLE("Nederlands", kStrings, kDialogs);

}  // namespace

extern "C" VYR_EXPORT const VyrResourceTable* VyrResources() { return &kTable; }
