// French texts of the print engine.
#include "langres/common_resources.h"

namespace {

const VyrStringResource kStrings[] = {
    {IDS_NO_LINK_LIBRARY, "La liaison avec l'imprimante n'a pas pu être établie ; rien n'a été imprimé. "
           "Réinstallez le logiciel de l'imprimante, puis relancez l'impression."},
    {IDS_PAGE_NOT_LOADED, "La page n'a pas pu être chargée et n'a pas été imprimée. Envoyez de nouveau la page "
           "à l'imprimante."},
    {IDS_PRINTER_NOT_FOUND, "L'imprimante ne répond pas. Vérifiez qu'elle est allumée, reliée au port parallèle "
           "et chargée en papier et en ruban, puis relancez l'impression."},
    {IDS_PRINTER_ABORT, "L'imprimante a interrompu l'impression. Corrigez le défaut signalé par l'imprimante "
           "(papier, ruban, capot), puis relancez l'impression."},
    {IDS_TRANSFER_FAILED, "Les données n'ont pas pu être envoyées à l'imprimante. Vérifiez le câble de "
           "l'imprimante et qu'elle est allumée, puis relancez l'impression."},
    {IDS_LINK_NOT_LOADED, "La bibliothèque de liaison avec l'imprimante (lptgate) n'a pas pu être chargée. "
           "Réinstallez le logiciel de l'imprimante, puis relancez l'impression."},
    {IDS_NO_GETDLLVERSION, "La bibliothèque de liaison avec l'imprimante (lptgate) est incomplète : "
           "GetDLLversion manque. Réinstallez le logiciel de l'imprimante, puis relancez "
           "l'impression."},
    {IDS_NO_COMMAND_SET, "La bibliothèque de liaison avec l'imprimante (lptgate) est incomplète : Command_set "
           "manque. Réinstallez le logiciel de l'imprimante, puis relancez l'impression."},
    {IDS_NO_IS_READY, "La bibliothèque de liaison avec l'imprimante (lptgate) est incomplète : Is_Ready "
           "manque. Réinstallez le logiciel de l'imprimante, puis relancez l'impression."},
    {IDS_NO_LPT_RESET, "La bibliothèque de liaison avec l'imprimante (lptgate) est incomplète : LPT_Reset "
           "manque. Réinstallez le logiciel de l'imprimante, puis relancez l'impression."},
    {IDS_NO_INITPORT, "La bibliothèque de liaison avec l'imprimante (lptgate) est incomplète : InitPort "
           "manque. Réinstallez le logiciel de l'imprimante, puis relancez l'impression."},
    {IDS_MEDIA_TABLE_SHORT, "La table des supports (media.rtb) est trop courte ; des valeurs standard sont "
           "utilisées. Réinstallez la table pour obtenir les meilleures couleurs."},
    {IDS_MEDIA_TABLE_MISSING, "La table des supports (media.rtb) est introuvable ; des valeurs standard sont "
           "utilisées. Réinstallez la table pour obtenir les meilleures couleurs."},
    {IDS_MATCH_TABLE_MISSING, "La table de correspondance des couleurs indiquée dans les réglages (MatchFile) est "
           "introuvable ; la page est imprimée sans correspondance des couleurs. Vérifiez le "
           "réglage ou réinstallez la table."},
    {IDS_OUT_OF_MEMORY, "La mémoire est insuffisante pour préparer la page ; elle risque d'être imprimée sans"
           " une partie de ses corrections, ou pas du tout. Fermez d'autres programmes et "
           "relancez l'impression."},
    {IDS_MATCH_TABLE_SHORT, "La table de correspondance des couleurs est trop courte ; la page est imprimée sans "
           "correspondance des couleurs. Réinstallez la table."},
    {IDS_NO_PAGE, "Il n'y a aucune page à imprimer. Envoyez de nouveau la page à l'imprimante."},
    {IDS_PAGE_NOT_24_BIT, "La page n'est pas une image couleur 24 bits et ne peut pas être imprimée. Envoyez-la"
           " de nouveau sous forme d'image couleur 24 bits."},
    {IDS_FAULT_RETRY, "L'imprimante signale un défaut (plus de papier ou de ruban, ou capot ouvert). "
           "Corrigez le défaut, puis choisissez Oui pour réessayer ou Non pour arrêter "
           "l'impression."},
    {IDS_FAULT_FATAL, "L'imprimante signale un défaut qui met fin à cette impression. Éteignez puis "
           "rallumez l'imprimante, puis relancez l'impression."},
    {IDS_PRINTER_NOT_READY, "L'imprimante n'était pas prête pour une commande. Si l'impression n'est pas "
           "correcte, vérifiez l'imprimante et relancez l'impression."},
    {IDS_TEMPERATURE_MISSING, "Le fichier des températures de la tête (tempera.tur) est introuvable ; des valeurs "
           "standard sont utilisées. Réinstallez le fichier pour obtenir les meilleurs tirages."},
    {IDS_TEMPERATURE_SHORT, "Le fichier des températures de la tête (tempera.tur) est trop court ; des valeurs "
           "standard sont utilisées. Réinstallez le fichier pour obtenir les meilleurs tirages."},
    {IDS_BUTTON_YES, "Oui"},
    {IDS_BUTTON_NO, "Non"},
    {IDS_CAPTION_READY_WAIT, "Attente de l'imprimante"},
    {IDS_CAPTION_PRINTER, "Imprimante"},
    {IDS_CAPTION_LOADING, "Chargement de la page"},
};

constexpr auto kItems = ProgressDialogItems("OK");
const VyrDialogTemplate kDialogs[] = {
    {kProgressDialogId, "Impression", kProgressDialogWidth, kProgressDialogHeight, kItems.data(),
     static_cast<uint32_t>(kItems.size())},
};

const VyrResourceTable kTable = VYR_RESOURCE_TABLE("Français", kStrings, kDialogs);

}  // namespace

extern "C" VYR_EXPORT const VyrResourceTable* VyrResources() { return &kTable; }
