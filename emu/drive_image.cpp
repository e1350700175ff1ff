// A drive: inserting, ejecting, latching, file types.
#include "emu/drive_image.h"

#include "emu/drive_bay_base.h"

namespace {

// The folder part of an image path, separator included. A forward slash wins over a
// backslash wherever it stands; a bare name is its own folder.
PathString FolderOf(const PathString& path)
{
    int end = path.ReverseFindWide(W16('/'));
    if (end < 0)
        end = path.ReverseFindWide(W16('\\'));
    if (end < 0)
        return path;
    PathString folder;
    folder.AssignWide(path.Std().substr(0, static_cast<size_t>(end) + 1).c_str());
    return folder;
}

} // namespace

DriveImage::DriveImage(DriveBayBase* owner) : owner_(owner) {}

DriveImage::~DriveImage()
{
    Notify(true);
    if (HasFile())
        CloseFile();
    removed_ = true;
    changed_ = true;
    Notify(false);
}

void DriveImage::Notify(bool before)
{
    if (owner_)
        owner_->OnDriveChange(this, before);
}

bool DriveImage::InsertFile(const PathString& path, u32 /*reserved1*/, u32 /*reserved2*/)
{
    if (!path.IsEmpty() && owner_)
        owner_->SetLastPath(FolderOf(path));
    if (HasFile() || !stream_.Open(path))
        return false;
    path_.Assign(path);
    ResetMediaFlags();
    latch_ = true;
    changed_ = true;
    Notify(false);
    return true;
}

void DriveImage::CloseFile()
{
    stream_.Close();
    path_.Clear();
    ResetMediaFlags();
    changed_ = true;
}

void DriveImage::ResetMediaFlags()
{
    accessed_ = read_ = false;
    flagA_ = flagB_ = false;
    examined_ = accepted_ = inUse_ = false;
}

void DriveImage::Eject()
{
    if (!HasFile())
        return;
    Notify(true);
    CloseFile();
    Notify(false);
}

void DriveImage::SetLatch(bool latch)
{
    if (latch == latch_)
        return;
    Notify(true);
    latch_ = latch;
    changed_ = true;
    Notify(false);
}

void DriveImage::SetChanged(bool before)
{
    if (!before)
        changed_ = true;
    Notify(before);
}

void DriveImage::ClearAccessFlags()
{
    read_ = false;
    accessed_ = false;
}

const PathString& DriveImage::GetLastPath() const
{
    static const PathString none;
    return owner_ ? owner_->GetLastPath() : none;
}

void DriveImage::AddFileType(const PathString& extension, const StringA& description)
{
    if (extension.IsEmpty())
        return;
    extensions_.Add(extension);
    if (description.IsEmpty()) {
        StringA text;
        text.Assign(extension);
        descriptions_.Add(text);
    } else {
        descriptions_.Add(description);
    }
}

bool DriveImage::GetFileType(i32 index, PathString& extension, StringA& description)
{
    StringBase* ext = extensions_.At(index);
    if (!ext)
        return false;
    extension.Assign(*ext);
    if (descriptions_.Count() < index + 1) {
        description.Assign(*ext);
        return true;
    }
    StringBase* text = descriptions_.At(index);
    if (!text)
        return false;
    description.Assign(*text);
    return true;
}

void DriveImage::SetNames(const char* name, const char* secondName)
{
    name_.Assign(name);
    if (secondName)
        secondName_.Assign(secondName);
    else
        secondName_.Assign(name_);
}

bool DriveImage::PollFlags()
{
    if (!flagA_)
        return true;
    if (flagB_) {
        flagB_ = false;
        return false;
    }
    return true;
}
