// Spanish texts of the print engine.
#include "langres/common_resources.h"

namespace {

const VyrStringResource kStrings[] = {
    {2001, "No se pudo iniciar la conexión con la impresora, por lo que no se imprimió nada. "
           "Vuelva a instalar el software de la impresora y luego imprima de nuevo."},
    {2003, "No se pudo cargar la página, por lo que no se imprimió. Envíe la página a la "
           "impresora de nuevo."},
    {2004, "La impresora no responde. Compruebe que está encendida, conectada al puerto paralelo"
           " y con papel y cinta, y luego imprima de nuevo."},
    {2005, "La impresora detuvo la impresión. Solucione el fallo que indica la impresora (papel,"
           " cinta, tapa) y luego imprima de nuevo."},
    {2006, "No se pudieron enviar datos a la impresora. Compruebe el cable de la impresora y que"
           " esté encendida, y luego imprima de nuevo."},
    {2007, "No se pudo cargar la biblioteca de conexión con la impresora (lptgate). Vuelva a "
           "instalar el software de la impresora y luego imprima de nuevo."},
    {2008, "La biblioteca de conexión con la impresora (lptgate) está incompleta: falta "
           "GetDLLversion. Vuelva a instalar el software de la impresora y luego imprima de "
           "nuevo."},
    {2009, "La biblioteca de conexión con la impresora (lptgate) está incompleta: falta "
           "Command_set. Vuelva a instalar el software de la impresora y luego imprima de nuevo."},
    {2010, "La biblioteca de conexión con la impresora (lptgate) está incompleta: falta "
           "Is_Ready. Vuelva a instalar el software de la impresora y luego imprima de nuevo."},
    {2011, "La biblioteca de conexión con la impresora (lptgate) está incompleta: falta "
           "LPT_Reset. Vuelva a instalar el software de la impresora y luego imprima de nuevo."},
    {2012, "La biblioteca de conexión con la impresora (lptgate) está incompleta: falta "
           "InitPort. Vuelva a instalar el software de la impresora y luego imprima de nuevo."},
    {2013, "La tabla de soportes (media.rtb) es demasiado corta, por lo que se usan valores "
           "estándar. Vuelva a instalar la tabla para obtener los mejores colores."},
    {2014, "No se encontró la tabla de soportes (media.rtb), por lo que se usan valores "
           "estándar. Vuelva a instalar la tabla para obtener los mejores colores."},
    {2015, "No se encontró la tabla de ajuste de color indicada en la configuración (MatchFile);"
           " la página se imprime sin ajuste de color. Revise la configuración o vuelva a "
           "instalar la tabla."},
    {2016, "No hay memoria suficiente para preparar la página; puede imprimirse sin parte de sus"
           " correcciones o no imprimirse. Cierre otros programas e imprima de nuevo."},
    {2017, "La tabla de ajuste de color es demasiado corta; la página se imprime sin ajuste de "
           "color. Vuelva a instalar la tabla."},
    {2018, "No hay ninguna página que imprimir. Envíe la página a la impresora de nuevo."},
    {2019, "La página no es una imagen en color de 24 bits y no se puede imprimir. Envíela de "
           "nuevo como imagen en color de 24 bits."},
    {2026, "La impresora indica un fallo (sin papel o sin cinta, o la tapa abierta). Solucione "
           "el fallo y elija Sí para intentarlo de nuevo, o No para dejar de imprimir."},
    {2027, "La impresora indica un fallo que termina esta impresión. Apague la impresora y "
           "vuelva a encenderla, y luego imprima de nuevo."},
    {2028, "La impresora no estaba preparada para una orden. Si la impresión no es correcta, "
           "revise la impresora e imprima de nuevo."},
    {2029, "No se encontró el archivo de temperaturas del cabezal (tempera.tur), por lo que se "
           "usan valores estándar. Vuelva a instalar el archivo para obtener las mejores "
           "impresiones."},
    {2030, "El archivo de temperaturas del cabezal (tempera.tur) es demasiado corto, por lo que "
           "se usan valores estándar. Vuelva a instalar el archivo para obtener las mejores "
           "impresiones."},
    {2032, "Esperando a la impresora"},
    {2033, "Impresora"},
    {2034, "Cargando la página"},
};

constexpr auto kItems = ProgressDialogItems("Aceptar");
const VyrDialogTemplate kDialogs[] = {
    {kProgressDialogId, "Imprimiendo", kProgressDialogWidth, kProgressDialogHeight, kItems.data(),
     static_cast<uint32_t>(kItems.size())},
};

const VyrResourceTable kTable = VYR_RESOURCE_TABLE("Español", kStrings, kDialogs);

}  // namespace

extern "C" VYR_EXPORT const VyrResourceTable* VyrResources() { return &kTable; }
