// What a job needs of the folder tree with its marks: clearing them, marking the folders of a
// loaded list, and collecting the marked folders back into a list.
#pragma once

#include <string>
#include <vector>

namespace tavrel {

class IJobTree {
public:
    virtual ~IJobTree() = default;
    // Every node gets the unmarked state (within one redraw lock).
    virtual void ClearAllMarks() = 0;
    // Opens the tree down to an existing folder and marks it as a loaded job's folder;
    // false when the tree has no node for the path (nothing is marked then).
    virtual bool MarkLoadedFolder(const std::string& folder) = 0;
    // The marked folders, each a full path ending in "\", in display order.
    virtual std::vector<std::string> CollectMarkedFolders() = 0;
    virtual void CollapseAll() = 0;
    virtual void BeginUpdate() = 0;
    virtual void EndUpdate() = 0;
};

}  // namespace tavrel
