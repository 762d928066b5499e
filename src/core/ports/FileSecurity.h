#pragma once

#include "core/ports/Result.h"

#include <QString>
#include <cstdint>

namespace kestrova {

// Access rights of an entry: every right on the file.
inline constexpr std::uint32_t FullFileAccess = 0x1F01FF;
// Entry types.
inline constexpr int AccessAllowed = 0;
inline constexpr int AccessDenied = 1;
// The control-word flag that keeps a file's access list from inheriting from its directory.
inline constexpr std::uint32_t AccessListProtected = 0x1000;

// The access list of one file at a time: its named entries (accounts other than the owner's),
// read when the file is selected, each change written to the file at once.
class FileSecurity {
public:
    virtual ~FileSecurity() = default;

    // Selects a file and reads its access list; the empty text releases the file. The result is
    // what ControlAccess then reports.
    virtual bool setFileName(const QString& path) = 0;
    virtual QString fileName() const = 0;
    // True when the selected file's access list could be read.
    virtual bool ControlAccess() const = 0;
    // Why the last operation or selection failed (empty when it did not).
    virtual QString lastError() const = 0;

    // The control flags of the file's security; AccessListProtected is the only writable one.
    virtual std::uint32_t ControlWord() const = 0;
    virtual Status setControlWord(std::uint32_t word) = 0;

    // The named entries, in the file's order.
    virtual int count() const = 0;
    // The account of entry index as added ("DOMAIN\name" when it was added so).
    virtual QString UserName(int index) const = 0;
    // Adds an entry for an account (a group or user name, or "DOMAIN\name"); an account already
    // listed gets these rights in place of its old ones.
    virtual Status add(const QString& account, std::uint32_t mask, int entryType, int flags) = 0;
    virtual Status remove(int index) = 0;
};

} // namespace kestrova
