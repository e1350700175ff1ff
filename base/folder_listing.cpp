#include "base/folder_listing.h"

#include <filesystem>
#include <system_error>

#include "base/file_system.h"
#include "base/native_path.h"

namespace fs = std::filesystem;

namespace {

wchar16 FoldCase(wchar16 c) {
    return (c >= W16('a') && c <= W16('z')) ? static_cast<wchar16>(c - 32) : c;
}

bool Match(const wchar16* name, const wchar16* mask) {
    // Iterative glob with one backtrack point: the last "*" seen.
    const wchar16* star = nullptr;
    const wchar16* resume = nullptr;
    while (*name) {
        if (*mask == W16('*')) {
            star = mask++;
            resume = name;
        } else if (*mask && (*mask == W16('?') || FoldCase(*mask) == FoldCase(*name))) {
            ++mask;
            ++name;
        } else if (star) {
            mask = star + 1;
            name = ++resume;
        } else {
            return false;
        }
    }
    while (*mask == W16('*')) ++mask;
    return *mask == 0;
}

bool IsRoot(const StringW& folder) {
    std::error_code ec;
    const fs::path p = fs::absolute(NativePath(folder), ec);
    return !ec && !WithoutTrailingSeparators(p).has_relative_path();
}

bool EndsWith(const StringW& name, const StringW& suffix) {
    const int n = name.GetLength();
    const int s = suffix.GetLength();
    return s <= n && name.Std().compare(n - s, s, suffix.Std()) == 0;
}

}  // namespace

bool MatchesMask(const StringW& name, const StringW& mask) {
    if (mask.CompareNarrow("*.*") == 0) return true;
    return Match(name.CStr(), mask.CStr());
}

void FolderListing::Clear() {
    folder_.Clear();
    folders_.Clear();
    files_.Clear();
    hasParent_ = false;
    folderOrder_.clear();
    fileOrder_.clear();
    folderCount_ = 0;
    fileCount_ = 0;
}

bool FolderListing::List(const PathString& folder, const StringW& mask) {
    Clear();
    if (!FolderExists(folder)) return false;
    folder_ = folder;
    if (!Scan(mask)) {
        Clear();
        return false;
    }
    folderCount_ = static_cast<u32>(folders_.Count());
    fileCount_ = static_cast<u32>(files_.Count());
    folderOrder_.resize(folderCount_);
    fileOrder_.resize(fileCount_);
    ResetOrder(true, true);
    return true;
}

bool FolderListing::Scan(const StringW& mask) {
    const StringW pattern = mask.IsEmpty() ? StringW("*") : mask;
    std::error_code ec;
    fs::directory_iterator it(NativePath(folder_), ec);
    if (ec) return false;
    for (const fs::directory_iterator end; it != end; it.increment(ec)) {
        if (ec) break;
        const PathString name = FromNativePath(it->path().filename());
        if (name.IsEmpty() || !MatchesMask(name, pattern)) continue;
        std::error_code typeEc;
        if (it->is_directory(typeEc))
            folders_.Add(name);
        else
            files_.Add(name);
    }
    // The directory iterator never yields "." and ".."; a folder below a root
    // has a parent entry wherever the mask would have let it through.
    hasParent_ = !IsRoot(folder_) && MatchesMask(StringW(".."), pattern);
    return hasParent_ || folders_.Count() > 0 || files_.Count() > 0;
}

bool FolderListing::GetEntry(int index, PathString& name, bool& isFolder) {
    if (hasParent_) {
        if (index == 0) {
            name = "..";
            isFolder = true;
            return true;
        }
        --index;
    }
    if (index < 0) return false;
    const u32 i = static_cast<u32>(index);
    StringBase* element = nullptr;
    if (i < folderCount_) {
        element = folders_.At(static_cast<int>(folderOrder_[i]));
        isFolder = true;
    } else if (i - folderCount_ < fileCount_) {
        element = files_.At(static_cast<int>(fileOrder_[i - folderCount_]));
        isFolder = false;
    }
    if (!element) return false;
    name.Assign(*element);
    return true;
}

void FolderListing::ResetOrder(bool folders, bool files) {
    if (folders)
        for (u32 i = 0; i < folderCount_; ++i) folderOrder_[i] = i;
    if (files)
        for (u32 i = 0; i < fileCount_; ++i) fileOrder_[i] = i;
}

bool FolderListing::Filter(ObjectList& suffixes, bool ignoreCase, bool /*folders*/, bool files) {
    if (suffixes.Count() == 0 || !files || fileCount_ == 0) return false;
    std::vector<StringW> wanted;
    for (int i = 0; i < suffixes.Count(); ++i) {
        StringW suffix;
        if (StringBase* s = suffixes.At(i)) suffix.Assign(*s);
        if (ignoreCase) suffix.ToUpper();
        wanted.push_back(suffix);
    }
    u32 kept = 0;
    for (u32 i = 0; i < fileCount_; ++i) {
        StringW name;
        if (StringBase* s = files_.At(static_cast<int>(fileOrder_[i]))) name.Assign(*s);
        if (ignoreCase) name.ToUpper();
        for (const StringW& suffix : wanted) {
            if (EndsWith(name, suffix)) {
                fileOrder_[kept++] = fileOrder_[i];
                break;
            }
        }
    }
    fileCount_ = kept;
    return kept > 0;
}
