#pragma once

#include <memory>

namespace kestrova {

class BackupProcess;
class Station;
class Volumes;

// The backup pass of a station run without the workstation: its zip files on libzip, their
// signed archive, the system's volumes and the terminal's beep.
class BackupWiring {
public:
    explicit BackupWiring(Station& station);
    ~BackupWiring();
    BackupWiring(const BackupWiring&) = delete;
    BackupWiring& operator=(const BackupWiring&) = delete;

    BackupProcess& process();
    const Volumes& volumes() const;

private:
    struct Parts;
    std::unique_ptr<Parts> m_parts;
};

} // namespace kestrova
