#pragma once

#include "core/ports/FileSecurity.h"
#include "platform/acl/AccountNames.h"

#include <memory>
#include <vector>

namespace kestrova {

// A file's access list as a POSIX access control list (libacl).
//
// The access list is the ACL's named entries (named users and named groups) in the ACL's order; the
// owner, owning group, other and mask entries are never listed and never removed. Every change
// recomputes the mask entry and writes the ACL to the file at once; a change that cannot be
// written leaves the file and the list as they were.
//
// Only allowed entries exist: AccessDenied fails. The rights map to read and write: any right at
// all gives r, FullFileAccess or the write bit 0x2 also w; execute is never given, the files
// secured are data. Entry flags have no meaning on a file's access ACL and are ignored. An account
// already in the list gets the rights of the new entry (they replace its old ones), so securing a
// file again, also one secured with other rights before, ends with the same list.
//
// A file whose list names an account is kept to the accounts named: adding an entry takes every
// right from the owning group and from others (the owner, the station's own account, keeps its
// rights), and the mask entry allows what the named entries have.
//
// UserName reports the account as it was added while the file stays selected (so "LAB\histology"
// comes back as added, even though it was found as the group histology); any other entry reports
// the name service's name, or the numeric id when the account has no name.
//
// POSIX ACLs have no flag that stops a file inheriting from its directory: a new file takes its
// directory's default ACL when it is created and keeps its own ACL from then on. ControlWord
// therefore reports 0, and setControlWord accepts any value and changes nothing.
class PosixFileSecurity : public FileSecurity {
public:
    PosixFileSecurity();
    ~PosixFileSecurity() override;
    PosixFileSecurity(const PosixFileSecurity&) = delete;
    PosixFileSecurity& operator=(const PosixFileSecurity&) = delete;

    bool setFileName(const QString& path) override;
    QString fileName() const override { return m_path; }
    bool ControlAccess() const override { return m_acl != nullptr; }
    QString lastError() const override { return m_error; }

    std::uint32_t ControlWord() const override { return 0; }
    Status setControlWord(std::uint32_t word) override;

    int count() const override { return int(m_entries.size()); }
    QString UserName(int index) const override;
    Status add(const QString& account, std::uint32_t mask, int entryType, int flags) override;
    Status remove(int index) override;

private:
    struct AclDeleter {
        void operator()(void* acl) const;
    };
    using AclHandle = std::unique_ptr<void, AclDeleter>;

    Status fail(QString message);
    Status succeed();
    Status needFile();
    // Writes the changed ACL to the file; on success it becomes the selected file's list.
    Status write(AclHandle changed);
    void listEntries();

    QString m_path;
    AclHandle m_acl;
    QString m_error;
    std::vector<SystemAccount> m_entries;
    // The accounts as they were added during this selection, by the entry they made or widened.
    std::vector<std::pair<SystemAccount, QString>> m_added;
};

} // namespace kestrova
