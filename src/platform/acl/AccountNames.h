#pragma once

#include <QString>
#include <optional>
#include <sys/types.h>

namespace kestrova {

// A group or user account of the system's name service.
struct SystemAccount {
    enum class Kind { Group, User };
    Kind kind = Kind::Group;
    id_t id = 0;

    bool operator==(const SystemAccount&) const = default;
};

// Finds the account a name stands for. "DOMAIN\name" is looked up first as the whole text (as
// winbind or sssd give domain accounts), then by the name after the last "\"; a plain name as it
// is. Each name is tried as a group before a user, as laboratory accounts are groups.
std::optional<SystemAccount> LookUpAccount(const QString& account);

// The name service's name of an account; its numeric id when it has none.
QString AccountName(const SystemAccount& account);

} // namespace kestrova
