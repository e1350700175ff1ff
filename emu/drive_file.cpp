// The proxy stream of a drive.
#include "emu/drive_file.h"

DriveFileProxy::~DriveFileProxy()
{
    SetInner(nullptr, false);
}

void DriveFileProxy::SetInner(StreamInterface* inner, bool owns)
{
    if (owns_ && inner_ != inner)
        delete inner_;
    inner_ = inner;
    owns_ = inner != nullptr && owns;
}

bool DriveFileProxy::IsOpen() const
{
    return inner_ && inner_->IsOpen();
}

bool DriveFileProxy::IsGrowable() const
{
    return inner_ && inner_->IsGrowable();
}

bool DriveFileProxy::IsSeekable() const
{
    return inner_ && inner_->IsSeekable();
}

bool DriveFileProxy::CanRead() const
{
    return inner_ && inner_->CanRead();
}

bool DriveFileProxy::CanWrite() const
{
    return inner_ && inner_->CanWrite();
}

u64 DriveFileProxy::GetSize() const
{
    return inner_ ? inner_->GetSize() : 0;
}

bool DriveFileProxy::SetSize(u64 size)
{
    return inner_ && inner_->SetSize(size);
}

u64 DriveFileProxy::GetPosition() const
{
    return inner_ ? inner_->GetPosition() : 0;
}

bool DriveFileProxy::Seek(u64 position)
{
    return inner_ && inner_->Seek(position);
}

u64 DriveFileProxy::Read(void* buffer, u64 count)
{
    return inner_ ? inner_->Read(buffer, count) : 0;
}

u64 DriveFileProxy::Write(const void* buffer, u64 count)
{
    return inner_ ? inner_->Write(buffer, count) : 0;
}

u64 DriveFileProxy::ReadAt(void* buffer, u64 offset, u64 count)
{
    if (!inner_ || !inner_->Seek(offset))
        return 0;
    return inner_->Read(buffer, count);
}

u64 DriveFileProxy::WriteAt(const void* buffer, u64 offset, u64 count)
{
    if (!inner_ || !inner_->Seek(offset))
        return 0;
    return inner_->Write(buffer, count);
}
