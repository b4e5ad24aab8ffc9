// The window back end on GTK 4 (the module vyr_ui_gtk.so, VYR_UI=window).
//
// The dialog is a window laid out from its template: dialog units become
// pixels from the dialog font as the original framework reckons them (a
// horizontal unit is a quarter of the average width of the 52 letters A-Z,
// a-z, a vertical unit an eighth of the font's height), and each item sits
// at its place and size on a GtkFixed. The caption is the window's title, the
// icon the window's icon (its pixels written as a PNG into a private folder
// that the icon theme searches, since GTK 4 takes window icons by name).
//
// The dialog's own loop drives the job; while it waits for its timer it runs
// the GLib main loop here (wait), which paints the window and takes the
// user's close box and OK button. Message boxes are modal windows with the
// language's OK, or Yes and No: Return takes the focused button (Yes or OK),
// Escape and the close box answer No. SIGINT and SIGTERM answer No as well,
// as with the other back ends, and then close the dialog.
#include <gtk/gtk.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "base/resource_ids.h"
#include "framework/afx.h"
#include "framework/resources.h"
#include "framework/ui_window.h"
#include "platform/console.h"

namespace {

// The name the icon is registered under in the private icon folder.
constexpr char kIconName[] = "vyr-printer";
// The icon's picture is a small pixel drawing; it is written at this size
// (each of its pixels a square) so that icons are scaled down, not up.
constexpr int kIconPixels = 64;
// The longest a message box sleeps before it looks for a close signal again.
constexpr guint kSignalPollMs = 50;

struct Item {
  GtkWidget* widget = nullptr;
  uint32_t kind = 0;
  int min = 0, max = 100;
};

struct WindowState {
  GtkWidget* window = nullptr;
  std::map<int, Item> items;
  bool closeRequested = false;
  int command = 0;
  std::string iconDir;  // the private icon folder, while the dialog runs
  GtkCssProvider* css = nullptr;
};

WindowState g_state;

// ---- Layout -------------------------------------------------------------------

struct BaseUnits {
  int x = 6, y = 13;  // pixels per average character and per line of the dialog font
};

BaseUnits DialogBaseUnits(GtkWidget* widget) {
  BaseUnits units;
  PangoContext* context = gtk_widget_get_pango_context(widget);
  PangoLayout* layout = pango_layout_new(context);
  static const char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
  pango_layout_set_text(layout, kLetters, -1);
  int width = 0, height = 0;
  pango_layout_get_pixel_size(layout, &width, &height);
  g_object_unref(layout);
  // The average over 52 letters, rounded to the nearest pixel.
  if (width > 0) units.x = (width / 26 + 1) / 2;
  PangoFontMetrics* metrics = pango_context_get_metrics(context, nullptr, nullptr);
  int lineHeight = PANGO_PIXELS(pango_font_metrics_get_ascent(metrics) + pango_font_metrics_get_descent(metrics));
  pango_font_metrics_unref(metrics);
  if (lineHeight > 0) units.y = lineHeight;
  return units;
}

// Dialog units to pixels, rounded as the original framework's MulDiv does.
int ToPixelsX(int units, const BaseUnits& base) { return (units * base.x + 2) / 4; }
int ToPixelsY(int units, const BaseUnits& base) { return (units * base.y + 4) / 8; }

// Items take exactly their template's size: the theme's minimum heights and
// paddings would push them out of place, and a progress bar fills its box as
// the original's does.
void LoadItemStyle(int barHeight) {
  if (!g_state.css) {
    g_state.css = gtk_css_provider_new();
    gtk_style_context_add_provider_for_display(gdk_display_get_default(), GTK_STYLE_PROVIDER(g_state.css),
                                               GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
  }
  int inner = barHeight > 4 ? barHeight - 2 : barHeight;
  std::string css =
      "button.vyr-item { min-height: 0; min-width: 0; padding: 0 6px; }\n"
      "progressbar.vyr-item > trough { min-height: " + std::to_string(inner) + "px; }\n"
      "progressbar.vyr-item > trough > progress { min-height: " + std::to_string(inner) + "px; }\n";
  gtk_css_provider_load_from_data(g_state.css, css.c_str(), -1);
}

// ---- The icon -----------------------------------------------------------------

// Writes the icon's picture as kIconName.png into a fresh private folder laid
// out as the fallback icon theme (hicolor), and has the display's icon theme
// search that folder. False when it cannot.
// The theme folder of the icon's picture: hicolor/SIZExSIZE/apps.
std::string IconSizeFolder() {
  return std::to_string(kIconPixels) + "x" + std::to_string(kIconPixels) + "/apps";
}
std::string IconSubfolder() { return "hicolor/" + IconSizeFolder(); }

bool RegisterIcon(const VyrIconResource* icon) {
  if (icon == nullptr || icon->rows == nullptr || icon->width == 0 || icon->height == 0) return false;
  if (g_state.iconDir.empty()) {
    gchar* dir = g_dir_make_tmp("vyr-icon-XXXXXX", nullptr);
    if (dir == nullptr) return false;
    g_state.iconDir = dir;
    g_free(dir);
    gtk_icon_theme_add_search_path(gtk_icon_theme_get_for_display(gdk_display_get_default()),
                                   g_state.iconDir.c_str());
  }
  const int width = kIconPixels, height = kIconPixels;
  std::vector<guint8> rgba(static_cast<size_t>(width) * height * 4, 0);
  for (int y = 0; y < height; ++y) {
    const char* row = icon->rows[y * icon->height / height];
    for (int x = 0; x < width; ++x) {
      char letter = row ? row[x * icon->width / width] : ' ';
      const char* found = letter != ' ' && letter != '\0' ? std::strchr(icon->paletteLetters, letter) : nullptr;
      if (found == nullptr) continue;  // transparent
      uint32_t colour = icon->paletteColours[found - icon->paletteLetters];
      guint8* px = &rgba[(static_cast<size_t>(y) * width + x) * 4];
      px[0] = static_cast<guint8>(colour >> 16);
      px[1] = static_cast<guint8>(colour >> 8);
      px[2] = static_cast<guint8>(colour);
      px[3] = 0xFF;
    }
  }
  GBytes* bytes = g_bytes_new(rgba.data(), rgba.size());
  GdkTexture* texture = gdk_memory_texture_new(width, height, GDK_MEMORY_R8G8B8A8, bytes, static_cast<gsize>(width) * 4);
  g_bytes_unref(bytes);
  std::string folder = g_state.iconDir + "/" + IconSubfolder();
  g_mkdir_with_parents(folder.c_str(), 0700);
  std::string index = g_state.iconDir + "/hicolor/index.theme";
  const std::string theme = "[Icon Theme]\nName=Hicolor\nDirectories=" + IconSizeFolder() +
                            "\n\n[" + IconSizeFolder() + "]\nSize=" + std::to_string(kIconPixels) +
                            "\nType=Fixed\n";
  g_file_set_contents(index.c_str(), theme.c_str(), -1, nullptr);
  std::string file = folder + "/" + kIconName + ".png";
  bool saved = gdk_texture_save_to_png(texture, file.c_str());
  g_object_unref(texture);
  return saved;
}

void RemoveIconFolder() {
  if (g_state.iconDir.empty()) return;
  const std::string& top = g_state.iconDir;
  unlink((top + "/" + IconSubfolder() + "/" + kIconName + ".png").c_str());
  unlink((top + "/hicolor/index.theme").c_str());
  rmdir((top + "/" + IconSubfolder()).c_str());
  rmdir((top + "/hicolor/" + std::to_string(kIconPixels) + "x" + std::to_string(kIconPixels)).c_str());
  rmdir((top + "/hicolor").c_str());
  rmdir(top.c_str());
  g_state.iconDir.clear();
}

// ---- The main loop --------------------------------------------------------------

gboolean SetFlag(gpointer flag) {
  *static_cast<bool*>(flag) = true;
  return G_SOURCE_REMOVE;
}

// Runs what is pending without waiting.
void RunPending() {
  while (g_main_context_iteration(nullptr, FALSE)) {
  }
}

bool DialogHasWork() { return g_state.closeRequested || g_state.command != 0 || ConsoleInterruptPending(); }

bool WindowWait(void*, uint32_t ms) {
  if (ms == 0) {
    RunPending();
    return DialogHasWork();
  }
  bool done = false;
  guint timeout = g_timeout_add(ms, SetFlag, &done);
  while (!done && !DialogHasWork()) g_main_context_iteration(nullptr, TRUE);
  if (!done) g_source_remove(timeout);
  return !done;
}

// ---- The dialog -----------------------------------------------------------------

gboolean OnCloseRequest(GtkWindow*, gpointer) {
  g_state.closeRequested = true;
  return TRUE;  // the dialog decides; the window goes when it ends
}

void OnButtonClicked(GtkButton*, gpointer id) { g_state.command = GPOINTER_TO_INT(id); }

void WindowDialogBegin(void*, const VyrDialogTemplate* dialogTemplate) {
  if (g_state.window) gtk_window_destroy(GTK_WINDOW(g_state.window));
  g_state.items.clear();
  g_state.closeRequested = false;
  g_state.command = 0;

  GtkWidget* window = gtk_window_new();
  g_state.window = window;
  gtk_window_set_resizable(GTK_WINDOW(window), FALSE);
  gtk_window_set_title(GTK_WINDOW(window), dialogTemplate->caption ? dialogTemplate->caption : "");
  g_signal_connect(window, "close-request", G_CALLBACK(OnCloseRequest), nullptr);

  const BaseUnits base = DialogBaseUnits(window);
  GtkWidget* fixed = gtk_fixed_new();
  gtk_widget_set_size_request(fixed, ToPixelsX(dialogTemplate->cx, base), ToPixelsY(dialogTemplate->cy, base));
  gtk_window_set_child(GTK_WINDOW(window), fixed);

  int barHeight = 0;
  for (uint32_t i = 0; i < dialogTemplate->itemCount; ++i) {
    const VyrDialogItem& item = dialogTemplate->items[i];
    const char* text = item.text ? item.text : "";
    GtkWidget* widget = nullptr;
    switch (item.kind) {
      case kVyrItemProgress:
        widget = gtk_progress_bar_new();
        barHeight = ToPixelsY(item.cy, base);
        break;
      case kVyrItemButton:
        widget = gtk_button_new_with_label(text);
        g_signal_connect(widget, "clicked", G_CALLBACK(OnButtonClicked), GINT_TO_POINTER(static_cast<int>(item.id)));
        // The OK button is the default one: Return presses it.
        if (static_cast<int>(item.id) == IDOK) gtk_window_set_default_widget(GTK_WINDOW(window), widget);
        break;
      default:
        widget = gtk_label_new(text);
        gtk_label_set_xalign(GTK_LABEL(widget), 0.0f);
        gtk_label_set_yalign(GTK_LABEL(widget), 0.0f);
        break;
    }
    gtk_widget_add_css_class(widget, "vyr-item");
    gtk_widget_set_size_request(widget, ToPixelsX(item.cx, base), ToPixelsY(item.cy, base));
    gtk_fixed_put(GTK_FIXED(fixed), widget, ToPixelsX(item.x, base), ToPixelsY(item.y, base));
    g_state.items[static_cast<int>(item.id)] = Item{widget, item.kind, 0, 100};
  }
  LoadItemStyle(barHeight);
  gtk_window_present(GTK_WINDOW(window));
  RunPending();
}

Item* FindItem(int id) {
  auto it = g_state.items.find(id);
  return it == g_state.items.end() ? nullptr : &it->second;
}

void WindowCaption(void*, const char* text) {
  if (g_state.window) gtk_window_set_title(GTK_WINDOW(g_state.window), text ? text : "");
}

void WindowProgressRange(void*, int id, int min, int max) {
  if (Item* item = FindItem(id)) {
    item->min = min;
    item->max = max;
  }
}

void WindowProgress(void*, int id, int pos) {
  Item* item = FindItem(id);
  if (item == nullptr || item->kind != kVyrItemProgress) return;
  double fraction = item->max > item->min ? static_cast<double>(pos - item->min) / (item->max - item->min) : 0.0;
  gtk_progress_bar_set_fraction(GTK_PROGRESS_BAR(item->widget), fraction < 0 ? 0 : fraction > 1 ? 1 : fraction);
}

void WindowItemText(void*, int id, const char* text) {
  Item* item = FindItem(id);
  if (item == nullptr) return;
  if (GTK_IS_LABEL(item->widget)) gtk_label_set_text(GTK_LABEL(item->widget), text ? text : "");
  if (GTK_IS_BUTTON(item->widget)) gtk_button_set_label(GTK_BUTTON(item->widget), text ? text : "");
}

void WindowItemEnable(void*, int id, bool enabled) {
  if (Item* item = FindItem(id)) gtk_widget_set_sensitive(item->widget, enabled);
}

void WindowIcon(void*, const VyrIconResource* icon, bool big) {
  // One picture serves both sizes; the big icon is the one that counts.
  if (!big || g_state.window == nullptr) return;
  if (RegisterIcon(icon)) {
    gtk_window_set_icon_name(GTK_WINDOW(g_state.window), kIconName);
    gtk_window_set_default_icon_name(kIconName);
  }
}

bool WindowCloseRequested(void*) {
  bool requested = g_state.closeRequested;
  g_state.closeRequested = false;
  return requested;
}

int WindowTakeCommand(void*) {
  int command = g_state.command;
  g_state.command = 0;
  return command;
}

void WindowDialogEnd(void*, bool) {
  if (g_state.window) gtk_window_destroy(GTK_WINDOW(g_state.window));
  g_state.window = nullptr;
  g_state.items.clear();
  g_state.closeRequested = false;
  g_state.command = 0;
  RunPending();
  RemoveIconFolder();
}

// ---- Message boxes ----------------------------------------------------------------

struct MessageBox {
  int answer = -1;  // IDOK, IDYES or IDNO once given
  int onClose = IDNO;
};

void OnAnswer(GtkButton* button, gpointer box) {
  static_cast<MessageBox*>(box)->answer = GPOINTER_TO_INT(g_object_get_data(G_OBJECT(button), "vyr-answer"));
}

gboolean OnMessageClose(GtkWindow*, gpointer box) {
  auto* message = static_cast<MessageBox*>(box);
  message->answer = message->onClose;
  return TRUE;
}

gboolean OnEscape(GtkWidget*, GVariant*, gpointer box) {
  auto* message = static_cast<MessageBox*>(box);
  message->answer = message->onClose;
  return TRUE;
}

gboolean PollSignal(gpointer) { return G_SOURCE_CONTINUE; }

GtkWidget* AddAnswerButton(GtkWidget* row, MessageBox* box, uint32_t textId, const char* fallback, int answer) {
  const char* text = AfxFindString(textId);
  GtkWidget* button = gtk_button_new_with_label(text ? text : fallback);
  g_object_set_data(G_OBJECT(button), "vyr-answer", GINT_TO_POINTER(answer));
  g_signal_connect(button, "clicked", G_CALLBACK(OnAnswer), box);
  gtk_widget_set_size_request(button, 80, -1);
  gtk_box_append(GTK_BOX(row), button);
  return button;
}

bool WindowMessage(void*, unsigned /*number*/, const char* text, bool yesno) {
  MessageBox box;
  box.onClose = yesno ? IDNO : IDOK;

  GtkWidget* window = gtk_window_new();
  gtk_window_set_title(GTK_WINDOW(window), "vyr");
  gtk_window_set_modal(GTK_WINDOW(window), TRUE);
  gtk_window_set_resizable(GTK_WINDOW(window), FALSE);
  if (g_state.window) gtk_window_set_transient_for(GTK_WINDOW(window), GTK_WINDOW(g_state.window));
  g_signal_connect(window, "close-request", G_CALLBACK(OnMessageClose), &box);

  GtkWidget* column = gtk_box_new(GTK_ORIENTATION_VERTICAL, 16);
  gtk_widget_set_margin_start(column, 16);
  gtk_widget_set_margin_end(column, 16);
  gtk_widget_set_margin_top(column, 16);
  gtk_widget_set_margin_bottom(column, 16);
  GtkWidget* label = gtk_label_new(text ? text : "");
  gtk_label_set_wrap(GTK_LABEL(label), TRUE);
  gtk_label_set_max_width_chars(GTK_LABEL(label), 50);
  gtk_label_set_xalign(GTK_LABEL(label), 0.0f);
  gtk_box_append(GTK_BOX(column), label);
  GtkWidget* row = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 8);
  gtk_widget_set_halign(row, GTK_ALIGN_END);
  gtk_box_append(GTK_BOX(column), row);
  GtkWidget* first = yesno ? AddAnswerButton(row, &box, IDS_BUTTON_YES, "Yes", IDYES)
                           : gtk_button_new_with_label("OK");
  if (yesno) {
    AddAnswerButton(row, &box, IDS_BUTTON_NO, "No", IDNO);
  } else {
    g_object_set_data(G_OBJECT(first), "vyr-answer", GINT_TO_POINTER(IDOK));
    g_signal_connect(first, "clicked", G_CALLBACK(OnAnswer), &box);
    gtk_widget_set_size_request(first, 80, -1);
    gtk_box_append(GTK_BOX(row), first);
  }
  gtk_window_set_child(GTK_WINDOW(window), column);

  GtkEventController* keys = gtk_shortcut_controller_new();
  gtk_shortcut_controller_add_shortcut(
      GTK_SHORTCUT_CONTROLLER(keys),
      gtk_shortcut_new(gtk_keyval_trigger_new(GDK_KEY_Escape, static_cast<GdkModifierType>(0)),
                       gtk_callback_action_new(OnEscape, &box, nullptr)));
  gtk_widget_add_controller(window, keys);

  gtk_window_set_default_widget(GTK_WINDOW(window), first);
  gtk_window_present(GTK_WINDOW(window));
  gtk_widget_grab_focus(first);

  // A close signal answers No (and closes the dialog afterwards); the poll
  // source wakes the loop in case the signal came just before it slept.
  guint poll = g_timeout_add(kSignalPollMs, PollSignal, nullptr);
  while (box.answer < 0) {
    if (ConsoleInterruptPending()) {
      box.answer = box.onClose;
      break;
    }
    g_main_context_iteration(nullptr, TRUE);
  }
  g_source_remove(poll);
  gtk_window_destroy(GTK_WINDOW(window));
  RunPending();
  return box.answer != IDNO;
}

const UiBackend kWindowBackend = {
    .name = "window",
    .caption = WindowCaption,
    .progress = WindowProgress,
    .item_text = WindowItemText,
    .item_enable = WindowItemEnable,
    .message = WindowMessage,
    .dialog_end = WindowDialogEnd,
    .job_event = nullptr,
    .close_requested = WindowCloseRequested,
    .person_can_close = nullptr,
    .ctx = nullptr,
    .dialog_begin = WindowDialogBegin,
    .window_icon = WindowIcon,
    .progress_range = WindowProgressRange,
    .wait = WindowWait,
    .take_command = WindowTakeCommand,
};

}  // namespace

extern "C" __attribute__((visibility("default"))) const UiBackend* VyrUiWindowBackend(char* why, size_t size) {
  // The program has set its locale already (the copy label follows it);
  // GTK is not to set it again.
  gtk_disable_setlocale();
  if (!gtk_init_check()) {
    if (why != nullptr && size > 0) {
      const char* display = g_getenv("WAYLAND_DISPLAY");
      if (display == nullptr || *display == '\0') display = g_getenv("DISPLAY");
      std::snprintf(why, size, "cannot open the display %s", display ? display : "(none set)");
    }
    return nullptr;
  }
  return &kWindowBackend;
}
