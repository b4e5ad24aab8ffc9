// German texts of the print engine.
#include "langres/common_resources.h"

namespace {

const VyrStringResource kStrings[] = {
    {IDS_NO_LINK_LIBRARY, "Die Verbindung zum Drucker konnte nicht hergestellt werden, daher wurde nichts "
           "gedruckt. Installieren Sie die Druckersoftware neu und drucken Sie dann erneut."},
    {IDS_PAGE_NOT_LOADED, "Die Seite konnte nicht geladen werden und wurde nicht gedruckt. Senden Sie die Seite"
           " erneut an den Drucker."},
    {IDS_PRINTER_NOT_FOUND, "Der Drucker antwortet nicht. Prüfen Sie, ob er eingeschaltet, an der parallelen "
           "Schnittstelle angeschlossen und mit Papier und Farbband bestückt ist, und drucken "
           "Sie dann erneut."},
    {IDS_PRINTER_ABORT, "Der Drucker hat den Druck abgebrochen. Beheben Sie die am Drucker angezeigte Störung"
           " (Papier, Farbband, Klappe) und drucken Sie dann erneut."},
    {IDS_TRANSFER_FAILED, "Es konnten keine Daten an den Drucker gesendet werden. Prüfen Sie das Druckerkabel "
           "und ob der Drucker eingeschaltet ist, und drucken Sie dann erneut."},
    {IDS_LINK_NOT_LOADED, "Die Druckerverbindungsbibliothek (lptgate) konnte nicht geladen werden. Installieren"
           " Sie die Druckersoftware neu und drucken Sie dann erneut."},
    {IDS_NO_GETDLLVERSION, "Die Druckerverbindungsbibliothek (lptgate) ist unvollständig: GetDLLversion fehlt. "
           "Installieren Sie die Druckersoftware neu und drucken Sie dann erneut."},
    {IDS_NO_COMMAND_SET, "Die Druckerverbindungsbibliothek (lptgate) ist unvollständig: Command_set fehlt. "
           "Installieren Sie die Druckersoftware neu und drucken Sie dann erneut."},
    {IDS_NO_IS_READY, "Die Druckerverbindungsbibliothek (lptgate) ist unvollständig: Is_Ready fehlt. "
           "Installieren Sie die Druckersoftware neu und drucken Sie dann erneut."},
    {IDS_NO_LPT_RESET, "Die Druckerverbindungsbibliothek (lptgate) ist unvollständig: LPT_Reset fehlt. "
           "Installieren Sie die Druckersoftware neu und drucken Sie dann erneut."},
    {IDS_NO_INITPORT, "Die Druckerverbindungsbibliothek (lptgate) ist unvollständig: InitPort fehlt. "
           "Installieren Sie die Druckersoftware neu und drucken Sie dann erneut."},
    {IDS_MEDIA_TABLE_SHORT, "Die Medientabelle (media.rtb) ist zu kurz, daher werden Standardwerte verwendet. "
           "Installieren Sie die Medientabelle neu, um die besten Farben zu erhalten."},
    {IDS_MEDIA_TABLE_MISSING, "Die Medientabelle (media.rtb) wurde nicht gefunden, daher werden Standardwerte "
           "verwendet. Installieren Sie die Medientabelle neu, um die besten Farben zu erhalten."},
    {IDS_MATCH_TABLE_MISSING, "Die in den Einstellungen genannte Farbabgleichstabelle (MatchFile) wurde nicht "
           "gefunden; die Seite wird ohne Farbabgleich gedruckt. Prüfen Sie die Einstellung oder"
           " installieren Sie die Tabelle neu."},
    {IDS_OUT_OF_MEMORY, "Es ist nicht genug Speicher frei, um die Seite vorzubereiten; sie wird eventuell "
           "ohne einen Teil der Korrekturen oder gar nicht gedruckt. Schließen Sie andere "
           "Programme und drucken Sie erneut."},
    {IDS_MATCH_TABLE_SHORT, "Die Farbabgleichstabelle ist zu kurz; die Seite wird ohne Farbabgleich gedruckt. "
           "Installieren Sie die Tabelle neu."},
    {IDS_NO_PAGE, "Es gibt keine Seite zum Drucken. Senden Sie die Seite erneut an den Drucker."},
    {IDS_PAGE_NOT_24_BIT, "Die Seite ist kein 24-Bit-Farbbild und kann nicht gedruckt werden. Senden Sie sie "
           "erneut als 24-Bit-Farbbild."},
    {IDS_FAULT_RETRY, "Der Drucker meldet eine Störung (Papier oder Farbband zu Ende, Klappe offen). "
           "Beheben Sie die Störung und wählen Sie Ja, um es erneut zu versuchen, oder Nein, um "
           "den Druck abzubrechen."},
    {IDS_FAULT_FATAL, "Der Drucker meldet eine Störung, die diesen Druck beendet. Schalten Sie den Drucker "
           "aus und wieder ein und drucken Sie dann erneut."},
    {IDS_PRINTER_NOT_READY, "Der Drucker war für einen Befehl nicht bereit. Wenn der Druck nicht in Ordnung ist, "
           "prüfen Sie den Drucker und drucken Sie erneut."},
    {IDS_TEMPERATURE_MISSING, "Die Datei mit den Kopftemperaturen (tempera.tur) wurde nicht gefunden, daher werden "
           "Standardwerte verwendet. Installieren Sie die Datei neu, um die besten Drucke zu "
           "erhalten."},
    {IDS_TEMPERATURE_SHORT, "Die Datei mit den Kopftemperaturen (tempera.tur) ist zu kurz, daher werden "
           "Standardwerte verwendet. Installieren Sie die Datei neu, um die besten Drucke zu "
           "erhalten."},
    {IDS_BUTTON_YES, "Ja"},
    {IDS_BUTTON_NO, "Nein"},
    {IDS_CAPTION_READY_WAIT, "Warten auf den Drucker"},
    {IDS_CAPTION_PRINTER, "Drucker"},
    {IDS_CAPTION_LOADING, "Seite wird geladen"},
};

constexpr auto kItems = ProgressDialogItems("OK");
const VyrDialogTemplate kDialogs[] = {
    {kProgressDialogId, "Drucken", kProgressDialogWidth, kProgressDialogHeight, kItems.data(),
     static_cast<uint32_t>(kItems.size())},
};

const VyrResourceTable kTable = VYR_RESOURCE_TABLE("Deutsch", kStrings, kDialogs);

}  // namespace

extern "C" VYR_EXPORT const VyrResourceTable* VyrResources() { return &kTable; }
