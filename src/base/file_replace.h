// The one way the program writes a whole file (a database, a backup, a library, the settings
// file, a text file): the new bytes go to a temporary file in the target's directory and take
// the target's place only once they are all on the disk. Until then the target is untouched,
// and a failure leaves nothing behind.
//
// The temporary has no name while it is written (an O_TMPFILE file, which a crash simply drops);
// it is linked in as ".<name>~tmp" just before the rename. Where the file system has no unnamed
// files, that fixed name is used from the start. Either way a crash leaves at most that one
// file per target, and the next write of the target removes it. A writer holds a lock on its
// temporary, so a live writer's file is never taken for a crashed one's. Where something that is
// not a file holds the name (a directory, a link), it is left alone and the temporary is called
// ".<name>~tmp1" (or up to "~tmp7") instead; the next write clears those as well.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <string>

namespace tolvi::base {

class FileReplacement {
public:
    FileReplacement() = default;
    ~FileReplacement();  // abandons a replacement not committed
    FileReplacement(const FileReplacement&) = delete;
    FileReplacement& operator=(const FileReplacement&) = delete;

    // Starts replacing `target`; 0, or an errno value. A symbolic link is followed: the file it
    // points to is replaced and the link stays a link. Refused: a target that is no regular file
    // (EISDIR, EINVAL), one the user may not write (EACCES, EROFS), a directory that cannot be
    // opened or written, and a target another writer is replacing at this moment (EBUSY).
    int Begin(const std::string& target);
    // 0 or an errno value; after a failure every later call fails with the same value.
    int Write(const void* data, size_t n);
    int WriteAt(uint64_t offset, const void* data, size_t n);
    // Starts putting what has been written so far on the disk without waiting for it, so that a
    // large file goes to the disk while the rest of it is made and Commit has little left to
    // wait for. Nothing happens where the system cannot do this.
    void StartWriteback();
    // Syncs the data, gives it the target's permission bits (and owner, where that is allowed),
    // renames it over the target and syncs the directory. On failure nothing is left behind.
    int Commit();
    // Drops the temporary; the target stays as it was.
    void Abandon();

    int Descriptor() const { return fd_; }
    // The file being replaced: the target, or the file its link points to.
    const std::string& Destination() const { return destination_; }

private:
    // Removes the temporary `temp` a crashed writer left; EBUSY when a live writer holds it.
    // taken: something else is there, which stays.
    int ClearStale(const std::string& temp, bool& taken);
    // Writes at the file position, or at *offset (which it advances) when one is given.
    int Put(const void* data, size_t n, uint64_t* offset);
    void Close();

    std::string destination_;
    std::string name_;  // destination's last component
    std::string temp_;  // the temporary's fixed name in the directory
    int fd_ = -1;
    int dirFd_ = -1;
    bool named_ = false;  // the temporary has a name in the directory to remove
    int error_ = 0;
    uint64_t writtenBack_ = 0;  // bytes StartWriteback has handed to the disk
};

// Writes `n` bytes as the whole new content of `target`; 0, or an errno value.
int ReplaceFile(const std::string& target, const void* data, size_t n);

// Tests: make Begin name its temporary from the start, as on file systems without unnamed files.
void UseNamedTemporaryForTests(bool on);

}  // namespace tolvi::base
