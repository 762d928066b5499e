#include "platform/acl/PosixFileSecurity.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <sys/acl.h>

namespace kestrova {

namespace {

acl_t Raw(void* acl) {
    return static_cast<acl_t>(acl);
}

QString SystemError(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

// Read for any right, write for the write-data right (or all rights). Never execute: the files
// secured are data, and an image has nothing to run.
std::vector<acl_perm_t> Permissions(std::uint32_t mask) {
    std::vector<acl_perm_t> perms;
    if (mask != 0) perms.push_back(ACL_READ);
    if ((mask & FullFileAccess) == FullFileAccess || (mask & 0x2)) perms.push_back(ACL_WRITE);
    return perms;
}

// The account a named entry is for; nothing for the owner, owning group, other and mask entries.
std::optional<SystemAccount> NamedAccount(acl_entry_t entry) {
    acl_tag_t tag = ACL_UNDEFINED_TAG;
    if (acl_get_tag_type(entry, &tag) != 0 || (tag != ACL_USER && tag != ACL_GROUP)) return std::nullopt;
    void* qualifier = acl_get_qualifier(entry);
    if (!qualifier) return std::nullopt;
    SystemAccount account;
    if (tag == ACL_USER) {
        account = {SystemAccount::Kind::User, *static_cast<uid_t*>(qualifier)};
    } else {
        account = {SystemAccount::Kind::Group, *static_cast<gid_t*>(qualifier)};
    }
    acl_free(qualifier);
    return account;
}

// Calls visit(entry, account) for each named entry in the ACL's order until it returns false.
template <typename Visit> void ForEachNamedEntry(acl_t acl, Visit visit) {
    acl_entry_t entry = nullptr;
    for (int which = ACL_FIRST_ENTRY; acl_get_entry(acl, which, &entry) == 1; which = ACL_NEXT_ENTRY) {
        if (const auto account = NamedAccount(entry); account && !visit(entry, *account)) return;
    }
}

// Gives the entry exactly these rights.
bool SetPermissions(acl_entry_t entry, const std::vector<acl_perm_t>& perms) {
    acl_permset_t permset = nullptr;
    if (acl_get_permset(entry, &permset) != 0 || acl_clear_perms(permset) != 0) return false;
    for (acl_perm_t perm : perms) {
        if (acl_add_perm(permset, perm) != 0) return false;
    }
    return acl_set_permset(entry, permset) == 0;
}

// Takes every right from the owning group and from others; the owner's entry stays as it is.
bool CloseToGroupAndOthers(acl_t acl) {
    acl_entry_t entry = nullptr;
    for (int which = ACL_FIRST_ENTRY; acl_get_entry(acl, which, &entry) == 1; which = ACL_NEXT_ENTRY) {
        acl_tag_t tag = ACL_UNDEFINED_TAG;
        if (acl_get_tag_type(entry, &tag) != 0) return false;
        if ((tag == ACL_GROUP_OBJ || tag == ACL_OTHER) && !SetPermissions(entry, {})) return false;
    }
    return true;
}

// Adds a named entry with no rights yet to the ACL.
acl_entry_t CreateNamedEntry(acl_t& acl, const SystemAccount& account) {
    acl_entry_t entry = nullptr;
    if (acl_create_entry(&acl, &entry) != 0) return nullptr;
    const bool isUser = account.kind == SystemAccount::Kind::User;
    const uid_t uid = uid_t(account.id);
    const gid_t gid = gid_t(account.id);
    acl_permset_t permset = nullptr;
    if (acl_set_tag_type(entry, isUser ? ACL_USER : ACL_GROUP) != 0 ||
        acl_set_qualifier(entry, isUser ? static_cast<const void*>(&uid) : static_cast<const void*>(&gid)) != 0 ||
        acl_get_permset(entry, &permset) != 0 || acl_clear_perms(permset) != 0 || acl_set_permset(entry, permset) != 0)
        return nullptr;
    return entry;
}

} // namespace

void PosixFileSecurity::AclDeleter::operator()(void* acl) const {
    acl_free(acl);
}

PosixFileSecurity::PosixFileSecurity() = default;
PosixFileSecurity::~PosixFileSecurity() = default;

bool PosixFileSecurity::setFileName(const QString& path) {
    m_path = path;
    m_acl.reset();
    m_entries.clear();
    m_added.clear();
    m_error.clear();
    if (path.isEmpty()) return false;

    errno = 0;
    m_acl.reset(acl_get_file(QFile::encodeName(path).constData(), ACL_TYPE_ACCESS));
    if (!m_acl) {
        const int error = errno;
        if (error == ENOENT) {
            m_error = QStringLiteral("The file %1 does not exist").arg(path);
        } else if (error == ENOTSUP) {
            m_error = QStringLiteral("The file system of %1 has no access control lists").arg(path);
        } else {
            m_error = QStringLiteral("Could not read the access list of %1: %2").arg(path, SystemError(error));
        }
        return false;
    }
    listEntries();
    return true;
}

Status PosixFileSecurity::setControlWord(std::uint32_t) {
    if (!m_acl) return needFile();
    return succeed();
}

QString PosixFileSecurity::UserName(int index) const {
    if (index < 0 || index >= count()) return {};
    const SystemAccount& account = m_entries[std::size_t(index)];
    for (const auto& [added, text] : m_added) {
        if (added == account) return text;
    }
    return AccountName(account);
}

Status PosixFileSecurity::add(const QString& account, std::uint32_t mask, int entryType, int) {
    if (!m_acl) return needFile();
    if (entryType == AccessDenied) return fail(QStringLiteral("Deny entries are not supported on this system"));
    if (entryType != AccessAllowed) return fail(QStringLiteral("Unknown access list entry type %1").arg(entryType));
    const std::optional<SystemAccount> found = LookUpAccount(account);
    if (!found) return fail(QStringLiteral("The account %1 is not known to this system").arg(account));

    acl_t changed = acl_dup(Raw(m_acl.get()));
    if (!changed) return fail(QStringLiteral("Could not copy the access list: %1").arg(SystemError(errno)));
    acl_entry_t entry = nullptr;
    ForEachNamedEntry(changed, [&](acl_entry_t e, const SystemAccount& a) {
        if (a == *found) entry = e;
        return entry == nullptr;
    });
    if (!entry) entry = CreateNamedEntry(changed, *found);
    const bool granted = entry && SetPermissions(entry, Permissions(mask)) && CloseToGroupAndOthers(changed);
    AclHandle handle(changed);
    if (!granted)
        return fail(QStringLiteral("Could not add %1 to the access list: %2").arg(account, SystemError(errno)));

    const Status written = write(std::move(handle));
    if (!written) return written;
    std::erase_if(m_added, [&](const auto& record) { return record.first == *found; });
    m_added.emplace_back(*found, account);
    return written;
}

Status PosixFileSecurity::remove(int index) {
    if (!m_acl) return needFile();
    if (index < 0 || index >= count())
        return fail(QStringLiteral("The access list of %1 has no entry %2").arg(m_path).arg(index));

    AclHandle changed(acl_dup(Raw(m_acl.get())));
    if (!changed) return fail(QStringLiteral("Could not copy the access list: %1").arg(SystemError(errno)));
    int position = 0;
    bool deleted = false;
    ForEachNamedEntry(Raw(changed.get()), [&](acl_entry_t e, const SystemAccount&) {
        if (position++ != index) return true;
        deleted = acl_delete_entry(Raw(changed.get()), e) == 0;
        return false;
    });
    if (!deleted) return fail(QStringLiteral("Could not delete entry %1: %2").arg(index).arg(SystemError(errno)));

    const SystemAccount account = m_entries[std::size_t(index)];
    const Status written = write(std::move(changed));
    if (written) std::erase_if(m_added, [&](const auto& record) { return record.first == account; });
    return written;
}

Status PosixFileSecurity::write(AclHandle changed) {
    acl_t raw = Raw(changed.release());
    const int maskResult = acl_calc_mask(&raw);
    changed.reset(raw);
    if (maskResult != 0)
        return fail(QStringLiteral("Could not work out the access list mask: %1").arg(SystemError(errno)));
    if (acl_valid(raw) != 0) return fail(QStringLiteral("The changed access list of %1 is not valid").arg(m_path));
    if (acl_set_file(QFile::encodeName(m_path).constData(), ACL_TYPE_ACCESS, raw) != 0)
        return fail(QStringLiteral("Could not write the access list of %1: %2").arg(m_path, SystemError(errno)));
    m_acl = std::move(changed);
    listEntries();
    return succeed();
}

void PosixFileSecurity::listEntries() {
    m_entries.clear();
    ForEachNamedEntry(Raw(m_acl.get()), [&](acl_entry_t, const SystemAccount& account) {
        m_entries.push_back(account);
        return true;
    });
}

Status PosixFileSecurity::needFile() {
    if (m_path.isEmpty()) return fail(QStringLiteral("No file is selected"));
    return fail(QStringLiteral("The access list of %1 could not be read").arg(m_path));
}

Status PosixFileSecurity::fail(QString message) {
    m_error = message;
    return Status::failure(std::move(message));
}

Status PosixFileSecurity::succeed() {
    m_error.clear();
    return Status::success();
}

} // namespace kestrova
