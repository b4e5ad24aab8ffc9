// Italian texts of the print engine.
#include "langres/common_resources.h"

namespace {

const VyrStringResource kStrings[] = {
    {2001, "Non è stato possibile avviare il collegamento con la stampante, quindi non è stato "
           "stampato nulla. Reinstallare il software della stampante e stampare di nuovo."},
    {2003, "Non è stato possibile caricare la pagina, che quindi non è stata stampata. Inviare "
           "di nuovo la pagina alla stampante."},
    {2004, "La stampante non risponde. Controllare che sia accesa, collegata alla porta "
           "parallela e fornita di carta e nastro, poi stampare di nuovo."},
    {2005, "La stampante ha interrotto la stampa. Eliminare il guasto segnalato dalla stampante "
           "(carta, nastro, coperchio), poi stampare di nuovo."},
    {2006, "Non è stato possibile inviare i dati alla stampante. Controllare il cavo della "
           "stampante e che sia accesa, poi stampare di nuovo."},
    {2007, "Non è stato possibile caricare la libreria di collegamento con la stampante "
           "(lptgate). Reinstallare il software della stampante e stampare di nuovo."},
    {2008, "La libreria di collegamento con la stampante (lptgate) è incompleta: manca "
           "GetDLLversion. Reinstallare il software della stampante e stampare di nuovo."},
    {2009, "La libreria di collegamento con la stampante (lptgate) è incompleta: manca "
           "Command_set. Reinstallare il software della stampante e stampare di nuovo."},
    {2010, "La libreria di collegamento con la stampante (lptgate) è incompleta: manca Is_Ready."
           " Reinstallare il software della stampante e stampare di nuovo."},
    {2011, "La libreria di collegamento con la stampante (lptgate) è incompleta: manca "
           "LPT_Reset. Reinstallare il software della stampante e stampare di nuovo."},
    {2012, "La libreria di collegamento con la stampante (lptgate) è incompleta: manca InitPort."
           " Reinstallare il software della stampante e stampare di nuovo."},
    {2013, "La tabella dei supporti (media.rtb) è troppo corta, quindi vengono usati valori "
           "standard. Reinstallare la tabella per ottenere i colori migliori."},
    {2014, "La tabella dei supporti (media.rtb) non è stata trovata, quindi vengono usati valori"
           " standard. Reinstallare la tabella per ottenere i colori migliori."},
    {2015, "La tabella di corrispondenza dei colori indicata nelle impostazioni (MatchFile) non "
           "è stata trovata; la pagina viene stampata senza corrispondenza dei colori. "
           "Controllare l'impostazione o reinstallare la tabella."},
    {2016, "La memoria non basta per preparare la pagina; potrebbe essere stampata senza una "
           "parte delle correzioni, o non essere stampata. Chiudere altri programmi e stampare "
           "di nuovo."},
    {2017, "La tabella di corrispondenza dei colori è troppo corta; la pagina viene stampata "
           "senza corrispondenza dei colori. Reinstallare la tabella."},
    {2018, "Non c'è nessuna pagina da stampare. Inviare di nuovo la pagina alla stampante."},
    {2019, "La pagina non è un'immagine a colori a 24 bit e non può essere stampata. Inviarla di"
           " nuovo come immagine a colori a 24 bit."},
    {2026, "La stampante segnala un guasto (carta o nastro esauriti, oppure coperchio aperto). "
           "Eliminare il guasto, poi scegliere Sì per riprovare o No per interrompere la stampa."},
    {2027, "La stampante segnala un guasto che termina questa stampa. Spegnere e riaccendere la "
           "stampante, poi stampare di nuovo."},
    {2028, "La stampante non era pronta per un comando. Se la stampa non è corretta, controllare"
           " la stampante e stampare di nuovo."},
    {2029, "Il file delle temperature della testina (tempera.tur) non è stato trovato, quindi "
           "vengono usati valori standard. Reinstallare il file per ottenere le stampe migliori."},
    {2030, "Il file delle temperature della testina (tempera.tur) è troppo corto, quindi vengono"
           " usati valori standard. Reinstallare il file per ottenere le stampe migliori."},
    {2032, "Attesa della stampante"},
    {2033, "Stampante"},
    {2034, "Caricamento della pagina"},
};

constexpr auto kItems = ProgressDialogItems("OK");
const VyrDialogTemplate kDialogs[] = {
    {kProgressDialogId, "Stampa", kProgressDialogWidth, kProgressDialogHeight, kItems.data(),
     static_cast<uint32_t>(kItems.size())},
};

const VyrResourceTable kTable = VYR_RESOURCE_TABLE("Italiano", kStrings, kDialogs);

}  // namespace

extern "C" VYR_EXPORT const VyrResourceTable* VyrResources() { return &kTable; }
