// The resource module switch: strings, dialog templates and icons are looked
// up in the module set with AfxSetResourceHandle, or in the program's own
// resources while none is set. A module's table comes from its exported C
// function "VyrResources", resolved once for the module in use.
#include "framework/resources.h"

#include "framework/afx.h"
#include "platform/module.h"

namespace {

HMODULE g_resourceModule = nullptr;
const VyrResourceTable* g_programTable = nullptr;

// The table of g_resourceModule, resolved at its first lookup.
bool g_moduleTableResolved = false;
const VyrResourceTable* g_moduleTable = nullptr;

const VyrResourceTable* CurrentTable() {
  if (!g_resourceModule) return g_programTable;
  if (!g_moduleTableResolved) {
    g_moduleTableResolved = true;
    auto fn = reinterpret_cast<VyrResourcesFn>(GetProcAddress(g_resourceModule, "VyrResources"));
    g_moduleTable = fn ? fn() : nullptr;
  }
  return g_moduleTable;
}

}  // namespace

void AfxSetResourceHandle(HMODULE module) {
  // Resolved afresh even for the same handle: a module freed and loaded again
  // may come back at the same address with other contents.
  g_resourceModule = module;
  g_moduleTableResolved = false;
  g_moduleTable = nullptr;
}

HMODULE AfxGetResourceHandle() { return g_resourceModule; }

void AfxSetProgramResources(const VyrResourceTable* table) { g_programTable = table; }

const char* AfxFindString(uint32_t id) {
  const VyrResourceTable* table = CurrentTable();
  if (!table || !table->strings) return nullptr;
  for (uint32_t i = 0; i < table->stringCount; ++i)
    if (table->strings[i].id == id) return table->strings[i].text;
  return nullptr;
}

const VyrDialogTemplate* AfxFindDialog(uint32_t id) {
  const VyrResourceTable* table = CurrentTable();
  if (!table || !table->dialogs) return nullptr;
  for (uint32_t i = 0; i < table->dialogCount; ++i)
    if (table->dialogs[i].id == id) return &table->dialogs[i];
  return nullptr;
}

const VyrIconResource* AfxFindIcon(uint32_t id) {
  const VyrResourceTable* table = CurrentTable();
  if (!table || !table->icons) return nullptr;
  for (uint32_t i = 0; i < table->iconCount; ++i)
    if (table->icons[i].id == id) return &table->icons[i];
  return nullptr;
}
