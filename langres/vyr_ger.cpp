// German texts of the print engine.
#include "langres/common_resources.h"

namespace {

const VyrStringResource kStrings[] = {
    {2001, "Die Verbindung zum Drucker konnte nicht hergestellt werden, daher wurde nichts "
           "gedruckt. Installieren Sie die Druckersoftware neu und drucken Sie dann erneut."},
    {2003, "Die Seite konnte nicht geladen werden und wurde nicht gedruckt. Senden Sie die Seite"
           " erneut an den Drucker."},
    {2004, "Der Drucker antwortet nicht. Prüfen Sie, ob er eingeschaltet, an der parallelen "
           "Schnittstelle angeschlossen und mit Papier und Farbband bestückt ist, und drucken "
           "Sie dann erneut."},
    {2005, "Der Drucker hat den Druck abgebrochen. Beheben Sie die am Drucker angezeigte Störung"
           " (Papier, Farbband, Klappe) und drucken Sie dann erneut."},
    {2006, "Es konnten keine Daten an den Drucker gesendet werden. Prüfen Sie das Druckerkabel "
           "und ob der Drucker eingeschaltet ist, und drucken Sie dann erneut."},
    {2007, "Die Druckerverbindungsbibliothek (lptgate) konnte nicht geladen werden. Installieren"
           " Sie die Druckersoftware neu und drucken Sie dann erneut."},
    {2008, "Die Druckerverbindungsbibliothek (lptgate) ist unvollständig: GetDLLversion fehlt. "
           "Installieren Sie die Druckersoftware neu und drucken Sie dann erneut."},
    {2009, "Die Druckerverbindungsbibliothek (lptgate) ist unvollständig: Command_set fehlt. "
           "Installieren Sie die Druckersoftware neu und drucken Sie dann erneut."},
    {2010, "Die Druckerverbindungsbibliothek (lptgate) ist unvollständig: Is_Ready fehlt. "
           "Installieren Sie die Druckersoftware neu und drucken Sie dann erneut."},
    {2011, "Die Druckerverbindungsbibliothek (lptgate) ist unvollständig: LPT_Reset fehlt. "
           "Installieren Sie die Druckersoftware neu und drucken Sie dann erneut."},
    {2012, "Die Druckerverbindungsbibliothek (lptgate) ist unvollständig: InitPort fehlt. "
           "Installieren Sie die Druckersoftware neu und drucken Sie dann erneut."},
    {2013, "Die Medientabelle (media.rtb) ist zu kurz, daher werden Standardwerte verwendet. "
           "Installieren Sie die Medientabelle neu, um die besten Farben zu erhalten."},
    {2014, "Die Medientabelle (media.rtb) wurde nicht gefunden, daher werden Standardwerte "
           "verwendet. Installieren Sie die Medientabelle neu, um die besten Farben zu erhalten."},
    {2015, "Die in den Einstellungen genannte Farbabgleichstabelle (MatchFile) wurde nicht "
           "gefunden; die Seite wird ohne Farbabgleich gedruckt. Prüfen Sie die Einstellung oder"
           " installieren Sie die Tabelle neu."},
    {2016, "Es ist nicht genug Speicher frei, um die Seite vorzubereiten; sie wird eventuell "
           "ohne einen Teil der Korrekturen oder gar nicht gedruckt. Schließen Sie andere "
           "Programme und drucken Sie erneut."},
    {2017, "Die Farbabgleichstabelle ist zu kurz; die Seite wird ohne Farbabgleich gedruckt. "
           "Installieren Sie die Tabelle neu."},
    {2018, "Es gibt keine Seite zum Drucken. Senden Sie die Seite erneut an den Drucker."},
    {2019, "Die Seite ist kein 24-Bit-Farbbild und kann nicht gedruckt werden. Senden Sie sie "
           "erneut als 24-Bit-Farbbild."},
    {2026, "Der Drucker meldet eine Störung (Papier oder Farbband zu Ende, Klappe offen). "
           "Beheben Sie die Störung und wählen Sie Ja, um es erneut zu versuchen, oder Nein, um "
           "den Druck abzubrechen."},
    {2027, "Der Drucker meldet eine Störung, die diesen Druck beendet. Schalten Sie den Drucker "
           "aus und wieder ein und drucken Sie dann erneut."},
    {2028, "Der Drucker war für einen Befehl nicht bereit. Wenn der Druck nicht in Ordnung ist, "
           "prüfen Sie den Drucker und drucken Sie erneut."},
    {2029, "Die Datei mit den Kopftemperaturen (tempera.tur) wurde nicht gefunden, daher werden "
           "Standardwerte verwendet. Installieren Sie die Datei neu, um die besten Drucke zu "
           "erhalten."},
    {2030, "Die Datei mit den Kopftemperaturen (tempera.tur) ist zu kurz, daher werden "
           "Standardwerte verwendet. Installieren Sie die Datei neu, um die besten Drucke zu "
           "erhalten."},
    {2032, "Warten auf den Drucker"},
    {2033, "Drucker"},
    {2034, "Seite wird geladen"},
};

constexpr auto kItems = ProgressDialogItems("OK");
const VyrDialogTemplate kDialogs[] = {
    {kProgressDialogId, "Drucken", kProgressDialogWidth, kProgressDialogHeight, kItems.data(),
     static_cast<uint32_t>(kItems.size())},
};

const VyrResourceTable kTable = VYR_RESOURCE_TABLE("Deutsch", kStrings, kDialogs);

}  // namespace

extern "C" VYR_EXPORT const VyrResourceTable* VyrResources() { return &kTable; }
