#include "printer-app/private_state.h"

#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>

namespace fs = std::filesystem;

void KeepStatePrivate() { umask(S_IRWXG | S_IRWXO); }

void MakeStatePrivate(const std::string& folder, std::error_code* ec) {
  // systemd's StateDirectory= sets the top folder's mode and group itself.
  const char* systemd = std::getenv("STATE_DIRECTORY");
  const bool by_systemd = systemd && fs::path(systemd) == fs::path(folder);
  const fs::perms top = fs::status(folder, *ec).permissions();
  if (*ec) return;
  fs::permissions(folder, by_systemd ? top & (fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec)
                                     : fs::perms::owner_all,
                  *ec);
  if (*ec) return;
  constexpr fs::perms kShared = fs::perms::group_all | fs::perms::others_all;
  for (auto it = fs::recursive_directory_iterator(folder, *ec); !*ec && it != fs::recursive_directory_iterator();
       it.increment(*ec)) {
    const fs::file_status st = it->symlink_status(*ec);
    if (*ec) return;
    if (fs::is_symlink(st) || (st.permissions() & kShared) == fs::perms::none) continue;
    fs::permissions(it->path(), kShared, fs::perm_options::remove, *ec);
    if (*ec) return;
  }
}
