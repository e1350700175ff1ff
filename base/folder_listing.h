// One listed folder: its subfolders and files in the order the file system
// gives them, with presentation orders that a filter can narrow.
//
// Entry 0 is ".." when the folder has a parent; the folders follow, then the
// files.
#pragma once

#include <vector>

#include "base/object_list.h"
#include "base/string_w.h"

class FolderListing {
public:
    FolderListing() = default;

    // Lists folder (ending with its separator) through mask ("*" when empty;
    // "*" and "?" wildcards, letters in any case). False when it is not a
    // folder or nothing matched.
    bool List(const PathString& folder, const StringW& mask);
    // Fills the two lists from the stored folder.
    bool Scan(const StringW& mask);
    bool GetEntry(int index, PathString& name, bool& isFolder);
    // Refills the chosen presentation orders with 0, 1, 2, ...
    void ResetOrder(bool folders, bool files);
    // Keeps only the files whose names end with one of the suffixes; folders
    // stay. True when at least one file remained.
    bool Filter(ObjectList& suffixes, bool ignoreCase, bool folders, bool files);
    void Clear();

    const PathString& GetFolder() const { return folder_; }
    bool HasParent() const { return hasParent_; }
    u32 GetFolderCount() const { return folderCount_; }
    u32 GetFileCount() const { return fileCount_; }
    int GetEntryCount() const {
        return (hasParent_ ? 1 : 0) + static_cast<int>(folderCount_ + fileCount_);
    }

private:
    PathString folder_;
    ObjectList folders_;
    ObjectList files_;
    bool hasParent_ = false;
    std::vector<u32> folderOrder_;
    std::vector<u32> fileOrder_;
    u32 folderCount_ = 0;
    u32 fileCount_ = 0;
};

// Wildcard match of a whole name: "*" any run, "?" any one character, ASCII
// letters in any case; "*.*" matches every name.
bool MatchesMask(const StringW& name, const StringW& mask);
