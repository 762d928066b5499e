#include "core/util/FaultPoint.h"

#include <atomic>
#include <csignal>
#include <cstdlib>
#include <string>

namespace kestrova {

namespace {

// The point named by the environment, and the pass through it that stops the process.
struct ArmedPoint {
    std::string name;
    long pass = 1;
    std::atomic<long> reached{0};

    ArmedPoint() {
        const char* value = std::getenv("KESTROVA_FAULT_POINT");
        if (!value) return;
        name = value;
        const std::string::size_type hash = name.rfind('#');
        if (hash == std::string::npos) return;
        char* end = nullptr;
        const long n = std::strtol(name.c_str() + hash + 1, &end, 10);
        if (end && *end == '\0' && n >= 1) {
            pass = n;
            name.resize(hash);
        }
    }
};

ArmedPoint& Armed() {
    static ArmedPoint armed;
    return armed;
}

} // namespace

void FaultPoint(const char* name) {
    ArmedPoint& armed = Armed();
    if (armed.name.empty() || !name || armed.name != name) return;
    if (armed.reached.fetch_add(1) + 1 == armed.pass) std::raise(SIGKILL);
}

} // namespace kestrova
