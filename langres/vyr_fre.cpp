// French texts of the print engine.
#include "langres/common_resources.h"

namespace {

const VyrStringResource kStrings[] = {
    {2001, "La liaison avec l'imprimante n'a pas pu être établie ; rien n'a été imprimé. "
           "Réinstallez le logiciel de l'imprimante, puis relancez l'impression."},
    {2003, "La page n'a pas pu être chargée et n'a pas été imprimée. Envoyez de nouveau la page "
           "à l'imprimante."},
    {2004, "L'imprimante ne répond pas. Vérifiez qu'elle est allumée, reliée au port parallèle "
           "et chargée en papier et en ruban, puis relancez l'impression."},
    {2005, "L'imprimante a interrompu l'impression. Corrigez le défaut signalé par l'imprimante "
           "(papier, ruban, capot), puis relancez l'impression."},
    {2006, "Les données n'ont pas pu être envoyées à l'imprimante. Vérifiez le câble de "
           "l'imprimante et qu'elle est allumée, puis relancez l'impression."},
    {2007, "La bibliothèque de liaison avec l'imprimante (lptgate) n'a pas pu être chargée. "
           "Réinstallez le logiciel de l'imprimante, puis relancez l'impression."},
    {2008, "La bibliothèque de liaison avec l'imprimante (lptgate) est incomplète : "
           "GetDLLversion manque. Réinstallez le logiciel de l'imprimante, puis relancez "
           "l'impression."},
    {2009, "La bibliothèque de liaison avec l'imprimante (lptgate) est incomplète : Command_set "
           "manque. Réinstallez le logiciel de l'imprimante, puis relancez l'impression."},
    {2010, "La bibliothèque de liaison avec l'imprimante (lptgate) est incomplète : Is_Ready "
           "manque. Réinstallez le logiciel de l'imprimante, puis relancez l'impression."},
    {2011, "La bibliothèque de liaison avec l'imprimante (lptgate) est incomplète : LPT_Reset "
           "manque. Réinstallez le logiciel de l'imprimante, puis relancez l'impression."},
    {2012, "La bibliothèque de liaison avec l'imprimante (lptgate) est incomplète : InitPort "
           "manque. Réinstallez le logiciel de l'imprimante, puis relancez l'impression."},
    {2013, "La table des supports (media.rtb) est trop courte ; des valeurs standard sont "
           "utilisées. Réinstallez la table pour obtenir les meilleures couleurs."},
    {2014, "La table des supports (media.rtb) est introuvable ; des valeurs standard sont "
           "utilisées. Réinstallez la table pour obtenir les meilleures couleurs."},
    {2015, "La table de correspondance des couleurs indiquée dans les réglages (MatchFile) est "
           "introuvable ; la page est imprimée sans correspondance des couleurs. Vérifiez le "
           "réglage ou réinstallez la table."},
    {2016, "La mémoire est insuffisante pour préparer la page ; elle risque d'être imprimée sans"
           " une partie de ses corrections, ou pas du tout. Fermez d'autres programmes et "
           "relancez l'impression."},
    {2017, "La table de correspondance des couleurs est trop courte ; la page est imprimée sans "
           "correspondance des couleurs. Réinstallez la table."},
    {2018, "Il n'y a aucune page à imprimer. Envoyez de nouveau la page à l'imprimante."},
    {2019, "La page n'est pas une image couleur 24 bits et ne peut pas être imprimée. Envoyez-la"
           " de nouveau sous forme d'image couleur 24 bits."},
    {2026, "L'imprimante signale un défaut (plus de papier ou de ruban, ou capot ouvert). "
           "Corrigez le défaut, puis choisissez Oui pour réessayer ou Non pour arrêter "
           "l'impression."},
    {2027, "L'imprimante signale un défaut qui met fin à cette impression. Éteignez puis "
           "rallumez l'imprimante, puis relancez l'impression."},
    {2028, "L'imprimante n'était pas prête pour une commande. Si l'impression n'est pas "
           "correcte, vérifiez l'imprimante et relancez l'impression."},
    {2029, "Le fichier des températures de la tête (tempera.tur) est introuvable ; des valeurs "
           "standard sont utilisées. Réinstallez le fichier pour obtenir les meilleurs tirages."},
    {2030, "Le fichier des températures de la tête (tempera.tur) est trop court ; des valeurs "
           "standard sont utilisées. Réinstallez le fichier pour obtenir les meilleurs tirages."},
    {2032, "Attente de l'imprimante"},
    {2033, "Imprimante"},
    {2034, "Chargement de la page"},
};

constexpr auto kItems = ProgressDialogItems("OK");
const VyrDialogTemplate kDialogs[] = {
    {kProgressDialogId, "Impression", kProgressDialogWidth, kProgressDialogHeight, kItems.data(),
     static_cast<uint32_t>(kItems.size())},
};

const VyrResourceTable kTable = VYR_RESOURCE_TABLE("Français", kStrings, kDialogs);

}  // namespace

extern "C" VYR_EXPORT const VyrResourceTable* VyrResources() { return &kTable; }
