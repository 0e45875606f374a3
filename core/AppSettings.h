// The program's settings in the user's registry key (subkeys "Start" and "Filer"): typed
// reads with defaults, the window placement, the recent-file list and the last-copied stamps.
#pragma once

#include <string>
#include <vector>

#include "platform/System.h"

namespace tavrel {

struct WindowPlacement {
    int top = 5;
    int left = 5;
    int height = 420;
    int width = 600;
};

// A screen's work area: left and top inclusive, right and bottom exclusive.
struct ScreenArea {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

// The placement moved, and shrunk or grown, as little as needed to lie wholly inside the area
// and be at least minWidth x minHeight (no larger than the area). A placement saved on a screen
// that is gone, or edited by hand, would otherwise open the window where no one can see it.
WindowPlacement FitPlacement(const WindowPlacement& placement, const ScreenArea& area, int minWidth, int minHeight);

class AppSettings {
public:
    explicit AppSettings(ISettingsStore& store) : store_(store) {}

    bool Open() { return store_.Open(); }
    void Close() { store_.Close(); }
    bool IsOpen() const { return store_.IsOpen(); }
    // The store itself, for the subkeys other modules keep their own values in.
    ISettingsStore& Store() { return store_; }

    // Numbers are decimal text; a missing value or one that is not a whole number gives the
    // default. Booleans are "1"/"0" and read true for any number other than 0.
    int ReadInt(const std::string& subkey, const std::string& name, int def);
    bool ReadBool(const std::string& subkey, const std::string& name, bool def);
    std::string ReadString(const std::string& subkey, const std::string& name, const std::string& def);
    bool WriteInt(const std::string& subkey, const std::string& name, int value);
    bool WriteBool(const std::string& subkey, const std::string& name, bool value);
    bool WriteString(const std::string& subkey, const std::string& name, const std::string& value);

    // "Start": "Top", "Venstre", "Højde", "Bredde"; defaults 5, 5 and 420 x 600 scaled by dpi/96.
    WindowPlacement ReadPlacement(int pixelsPerInch);
    // Also writes "Fil" and "Floppy", in the order Top, Venstre, Højde, Bredde, Fil, Floppy.
    void WriteStartValues(const WindowPlacement& placement, const std::string& jobFileName, bool floppy);
    std::string ReadLastJob();  // "Fil", default "Drev_C.tvj"
    bool ReadFloppy();          // "Floppy", default false

    // The recent-file list "Fil1".."Fil4" in "Filer".
    void AddRecentFile(const std::string& path);
    // The entries from "Fil1" on, up to the first empty one.
    std::vector<std::string> RecentFiles();

    // The job's last completed copy, keyed by the job file's name without folder; "-" if none.
    std::string ReadLastCopied(const std::string& jobFileName);
    bool WriteLastCopied(const std::string& jobFileName, const std::string& stamp);

private:
    ISettingsStore& store_;
};

}  // namespace tavrel
