// Spanish texts of the print engine.
#include "langres/common_resources.h"

namespace {

const VyrStringResource kStrings[] = {
    {IDS_NO_LINK_LIBRARY, "No se pudo iniciar la conexión con la impresora, por lo que no se imprimió nada. "
           "Vuelva a instalar el software de la impresora y luego imprima de nuevo."},
    {IDS_PAGE_NOT_LOADED, "No se pudo cargar la página, por lo que no se imprimió. Envíe la página a la "
           "impresora de nuevo."},
    {IDS_PRINTER_NOT_FOUND, "La impresora no responde. Compruebe que está encendida, conectada al puerto paralelo"
           " y con papel y cinta, y luego imprima de nuevo."},
    {IDS_PRINTER_ABORT, "La impresora detuvo la impresión. Solucione el fallo que indica la impresora (papel,"
           " cinta, tapa) y luego imprima de nuevo."},
    {IDS_TRANSFER_FAILED, "No se pudieron enviar datos a la impresora. Compruebe el cable de la impresora y que"
           " esté encendida, y luego imprima de nuevo."},
    {IDS_LINK_NOT_LOADED, "No se pudo cargar la biblioteca de conexión con la impresora (lptgate). Vuelva a "
           "instalar el software de la impresora y luego imprima de nuevo."},
    {IDS_NO_GETDLLVERSION, "La biblioteca de conexión con la impresora (lptgate) está incompleta: falta "
           "GetDLLversion. Vuelva a instalar el software de la impresora y luego imprima de "
           "nuevo."},
    {IDS_NO_COMMAND_SET, "La biblioteca de conexión con la impresora (lptgate) está incompleta: falta "
           "Command_set. Vuelva a instalar el software de la impresora y luego imprima de nuevo."},
    {IDS_NO_IS_READY, "La biblioteca de conexión con la impresora (lptgate) está incompleta: falta "
           "Is_Ready. Vuelva a instalar el software de la impresora y luego imprima de nuevo."},
    {IDS_NO_LPT_RESET, "La biblioteca de conexión con la impresora (lptgate) está incompleta: falta "
           "LPT_Reset. Vuelva a instalar el software de la impresora y luego imprima de nuevo."},
    {IDS_NO_INITPORT, "La biblioteca de conexión con la impresora (lptgate) está incompleta: falta "
           "InitPort. Vuelva a instalar el software de la impresora y luego imprima de nuevo."},
    {IDS_MEDIA_TABLE_SHORT, "La tabla de soportes (media.rtb) es demasiado corta, por lo que se usan valores "
           "estándar. Vuelva a instalar la tabla para obtener los mejores colores."},
    {IDS_MEDIA_TABLE_MISSING, "No se encontró la tabla de soportes (media.rtb), por lo que se usan valores "
           "estándar. Vuelva a instalar la tabla para obtener los mejores colores."},
    {IDS_MATCH_TABLE_MISSING, "No se encontró la tabla de ajuste de color indicada en la configuración (MatchFile);"
           " la página se imprime sin ajuste de color. Revise la configuración o vuelva a "
           "instalar la tabla."},
    {IDS_OUT_OF_MEMORY, "No hay memoria suficiente para preparar la página; puede imprimirse sin parte de sus"
           " correcciones o no imprimirse. Cierre otros programas e imprima de nuevo."},
    {IDS_MATCH_TABLE_SHORT, "La tabla de ajuste de color es demasiado corta; la página se imprime sin ajuste de "
           "color. Vuelva a instalar la tabla."},
    {IDS_NO_PAGE, "No hay ninguna página que imprimir. Envíe la página a la impresora de nuevo."},
    {IDS_PAGE_NOT_24_BIT, "La página no es una imagen en color de 24 bits y no se puede imprimir. Envíela de "
           "nuevo como imagen en color de 24 bits."},
    {IDS_FAULT_RETRY, "La impresora indica un fallo (sin papel o sin cinta, o la tapa abierta). Solucione "
           "el fallo y elija Sí para intentarlo de nuevo, o No para dejar de imprimir."},
    {IDS_FAULT_FATAL, "La impresora indica un fallo que termina esta impresión. Apague la impresora y "
           "vuelva a encenderla, y luego imprima de nuevo."},
    {IDS_PRINTER_NOT_READY, "La impresora no estaba preparada para una orden. Si la impresión no es correcta, "
           "revise la impresora e imprima de nuevo."},
    {IDS_TEMPERATURE_MISSING, "No se encontró el archivo de temperaturas del cabezal (tempera.tur), por lo que se "
           "usan valores estándar. Vuelva a instalar el archivo para obtener las mejores "
           "impresiones."},
    {IDS_TEMPERATURE_SHORT, "El archivo de temperaturas del cabezal (tempera.tur) es demasiado corto, por lo que "
           "se usan valores estándar. Vuelva a instalar el archivo para obtener las mejores "
           "impresiones."},
    {IDS_BUTTON_YES, "Sí"},
    {IDS_BUTTON_NO, "No"},
    {IDS_CAPTION_READY_WAIT, "Esperando a la impresora"},
    {IDS_CAPTION_PRINTER, "Impresora"},
    {IDS_CAPTION_LOADING, "Cargando la página"},
};

constexpr auto kItems = ProgressDialogItems("Aceptar");
const VyrDialogTemplate kDialogs[] = {
    {kProgressDialogId, "Imprimiendo", kProgressDialogWidth, kProgressDialogHeight, kItems.data(),
     static_cast<uint32_t>(kItems.size())},
};

const VyrResourceTable kTable = VYR_RESOURCE_TABLE("Español", kStrings, kDialogs);

}  // namespace

extern "C" VYR_EXPORT const VyrResourceTable* VyrResources() { return &kTable; }
