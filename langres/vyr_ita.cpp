// Italian texts of the print engine.
#include "langres/common_resources.h"

namespace {

const VyrStringResource kStrings[] = {
    {IDS_NO_LINK_LIBRARY, "Non è stato possibile avviare il collegamento con la stampante, quindi non è stato "
           "stampato nulla. Reinstallare il software della stampante e stampare di nuovo."},
    {IDS_PAGE_NOT_LOADED, "Non è stato possibile caricare la pagina, che quindi non è stata stampata. Inviare "
           "di nuovo la pagina alla stampante."},
    {IDS_PRINTER_NOT_FOUND, "La stampante non risponde. Controllare che sia accesa, collegata alla porta "
           "parallela e fornita di carta e nastro, poi stampare di nuovo."},
    {IDS_PRINTER_ABORT, "La stampante ha interrotto la stampa. Eliminare il guasto segnalato dalla stampante "
           "(carta, nastro, coperchio), poi stampare di nuovo."},
    {IDS_TRANSFER_FAILED, "Non è stato possibile inviare i dati alla stampante. Controllare il cavo della "
           "stampante e che sia accesa, poi stampare di nuovo."},
    {IDS_LINK_NOT_LOADED, "Non è stato possibile caricare la libreria di collegamento con la stampante "
           "(lptgate). Reinstallare il software della stampante e stampare di nuovo."},
    {IDS_NO_GETDLLVERSION, "La libreria di collegamento con la stampante (lptgate) è incompleta: manca "
           "GetDLLversion. Reinstallare il software della stampante e stampare di nuovo."},
    {IDS_NO_COMMAND_SET, "La libreria di collegamento con la stampante (lptgate) è incompleta: manca "
           "Command_set. Reinstallare il software della stampante e stampare di nuovo."},
    {IDS_NO_IS_READY, "La libreria di collegamento con la stampante (lptgate) è incompleta: manca Is_Ready."
           " Reinstallare il software della stampante e stampare di nuovo."},
    {IDS_NO_LPT_RESET, "La libreria di collegamento con la stampante (lptgate) è incompleta: manca "
           "LPT_Reset. Reinstallare il software della stampante e stampare di nuovo."},
    {IDS_NO_INITPORT, "La libreria di collegamento con la stampante (lptgate) è incompleta: manca InitPort."
           " Reinstallare il software della stampante e stampare di nuovo."},
    {IDS_MEDIA_TABLE_SHORT, "La tabella dei supporti (media.rtb) è troppo corta, quindi vengono usati valori "
           "standard. Reinstallare la tabella per ottenere i colori migliori."},
    {IDS_MEDIA_TABLE_MISSING, "La tabella dei supporti (media.rtb) non è stata trovata, quindi vengono usati valori"
           " standard. Reinstallare la tabella per ottenere i colori migliori."},
    {IDS_MATCH_TABLE_MISSING, "La tabella di corrispondenza dei colori indicata nelle impostazioni (MatchFile) non "
           "è stata trovata; la pagina viene stampata senza corrispondenza dei colori. "
           "Controllare l'impostazione o reinstallare la tabella."},
    {IDS_OUT_OF_MEMORY, "La memoria non basta per preparare la pagina; potrebbe essere stampata senza una "
           "parte delle correzioni, o non essere stampata. Chiudere altri programmi e stampare "
           "di nuovo."},
    {IDS_MATCH_TABLE_SHORT, "La tabella di corrispondenza dei colori è troppo corta; la pagina viene stampata "
           "senza corrispondenza dei colori. Reinstallare la tabella."},
    {IDS_NO_PAGE, "Non c'è nessuna pagina da stampare. Inviare di nuovo la pagina alla stampante."},
    {IDS_PAGE_NOT_24_BIT, "La pagina non è un'immagine a colori a 24 bit e non può essere stampata. Inviarla di"
           " nuovo come immagine a colori a 24 bit."},
    {IDS_FAULT_RETRY, "La stampante segnala un guasto (carta o nastro esauriti, oppure coperchio aperto). "
           "Eliminare il guasto, poi scegliere Sì per riprovare o No per interrompere la stampa."},
    {IDS_FAULT_FATAL, "La stampante segnala un guasto che termina questa stampa. Spegnere e riaccendere la "
           "stampante, poi stampare di nuovo."},
    {IDS_PRINTER_NOT_READY, "La stampante non era pronta per un comando. Se la stampa non è corretta, controllare"
           " la stampante e stampare di nuovo."},
    {IDS_TEMPERATURE_MISSING, "Il file delle temperature della testina (tempera.tur) non è stato trovato, quindi "
           "vengono usati valori standard. Reinstallare il file per ottenere le stampe migliori."},
    {IDS_TEMPERATURE_SHORT, "Il file delle temperature della testina (tempera.tur) è troppo corto, quindi vengono"
           " usati valori standard. Reinstallare il file per ottenere le stampe migliori."},
    {IDS_BUTTON_YES, "Sì"},
    {IDS_BUTTON_NO, "No"},
    {IDS_CAPTION_READY_WAIT, "Attesa della stampante"},
    {IDS_CAPTION_PRINTER, "Stampante"},
    {IDS_CAPTION_LOADING, "Caricamento della pagina"},
};

constexpr auto kItems = ProgressDialogItems("OK");
const VyrDialogTemplate kDialogs[] = {
    {kProgressDialogId, "Stampa", kProgressDialogWidth, kProgressDialogHeight, kItems.data(),
     static_cast<uint32_t>(kItems.size())},
};

const VyrResourceTable kTable = VYR_RESOURCE_TABLE("Italiano", kStrings, kDialogs);

}  // namespace

extern "C" VYR_EXPORT const VyrResourceTable* VyrResources() { return &kTable; }
