#include "platform/acl/AccountNames.h"

#include <cerrno>
#include <grp.h>
#include <pwd.h>
#include <unistd.h>
#include <vector>

namespace kestrova {

namespace {

// Runs a reentrant name-service look-up (getgrnam_r and its kin), growing the buffer while the
// entry does not fit. The entry found points into the buffer; null when there is none.
template <typename Entry, typename Call> Entry* Look(std::vector<char>& buffer, Entry& entry, Call call) {
    buffer.resize(4096);
    for (;;) {
        Entry* found = nullptr;
        const int rc = call(&entry, buffer.data(), buffer.size(), &found);
        if (rc == 0) return found;
        if (rc != ERANGE || buffer.size() >= (1u << 20)) return nullptr;
        buffer.resize(buffer.size() * 2);
    }
}

std::optional<SystemAccount> ByName(const QByteArray& name) {
    if (name.isEmpty()) return std::nullopt;
    std::vector<char> buffer;
    group gr{};
    if (const group* g = Look(buffer, gr, [&](auto... args) { return getgrnam_r(name.constData(), args...); }))
        return SystemAccount{SystemAccount::Kind::Group, g->gr_gid};
    passwd pw{};
    if (const passwd* p = Look(buffer, pw, [&](auto... args) { return getpwnam_r(name.constData(), args...); }))
        return SystemAccount{SystemAccount::Kind::User, p->pw_uid};
    return std::nullopt;
}

} // namespace

std::optional<SystemAccount> LookUpAccount(const QString& account) {
    if (auto found = ByName(account.toUtf8())) return found;
    const qsizetype slash = account.lastIndexOf(QLatin1Char('\\'));
    if (slash < 0) return std::nullopt;
    return ByName(account.mid(slash + 1).toUtf8());
}

QString AccountName(const SystemAccount& account) {
    std::vector<char> buffer;
    if (account.kind == SystemAccount::Kind::Group) {
        group gr{};
        if (const group* g = Look(buffer, gr, [&](auto... args) { return getgrgid_r(account.id, args...); }))
            return QString::fromUtf8(g->gr_name);
    } else {
        passwd pw{};
        if (const passwd* p = Look(buffer, pw, [&](auto... args) { return getpwuid_r(account.id, args...); }))
            return QString::fromUtf8(p->pw_name);
    }
    return QString::number(account.id);
}

} // namespace kestrova
