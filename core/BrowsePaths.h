// The folder browser's logic that needs no window: the root and option tables, the path sent
// to the shell as the preselection, the existence test, and the shortening of the status text
// to the width of the status line (the width of a text is measured by the caller).
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "platform/FileSystem.h"

namespace tavrel {

enum class TRootID : uint8_t {
    idDesktop, idInternet, idPrograms, idControlPanel, idPrinters, idPersonal, idFavorites,
    idStartup, idRecent, idSendTo, idRecycleBin, idStartMenu, idDesktopDirectory, idDrives,
    idNetwork, idNetHood, idFonts, idTemplates, idDesktopExpanded,
};

// The shell's special-folder id of each root; idDesktopExpanded names none.
int RootFolderId(TRootID root);

enum TBrowseFlag : uint8_t {
    bfDirectoriesOnly, bfDomainOnly, bfAncestors, bfComputers, bfPrinters, bfIncludeFiles,
};
// A set of TBrowseFlag: bit n is the flag with ordinal n.
using TBrowseFlags = uint8_t;
constexpr TBrowseFlags BrowseFlagBit(TBrowseFlag f) { return static_cast<TBrowseFlags>(1u << f); }

constexpr uint32_t kBifStatusText = 0x0004;
// The shell's BIF_ flags of the options, with the status line when it is wanted.
uint32_t OptionsToShellFlags(TBrowseFlags options);
uint32_t BrowseShellFlags(TBrowseFlags options, bool withStatusLine);

// The text width in pixels in the status line's font.
using TextWidthFn = std::function<int(const std::string&)>;

// One leading folder of a directory part replaced by "...\" ("\A\B\" -> "\...\B\").
std::string DropFirstFolder(std::string s);
// Drops whole leading folders (then the drive) until the path fits; the name stays whole.
std::string FitPathToWidth(const std::string& path, int available, const TextWidthFn& width);
// Cuts characters from the end and adds "..." until the text fits.
std::string FitTextToWidth(const std::string& text, int available, const TextWidthFn& width);

// The form of a path that the shell's browser accepts as preselection: "C:" -> "C:\",
// "C:\Data\" -> "C:\Data".
std::string NormalizeSelectionPath(const std::string& path);

// A drive root by the drive mask; any other path: found, a folder, and neither hidden nor system.
bool IsExistingDirectory(IFileSystem& fs, const std::string& path);

}  // namespace tavrel
