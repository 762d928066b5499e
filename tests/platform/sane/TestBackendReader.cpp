// SANE's "test" backend (Debian 1.2.1) writes each sheet into a pipe from a reader thread, and
// stops that thread with an asynchronous pthread_cancel: inside the sane_read that returns the
// sheet's last bytes, and in sane_cancel. A reader cancelled inside malloc or free (it frees its
// picture buffer right after its last write) leaves the allocator's lock held; while exiting it
// then waits for that lock itself, and the batch's worker waits for the reader in pthread_join for
// ever. Any frontend meets this now and then on a busy machine; it is no fault of the adapter.
//
// So the test program reaches sane_start, sane_read and sane_cancel through the wrappers below
// (linked with --wrap, see tests/CMakeLists.txt). Before a read or a cancel they wait until the
// sheet's reader has ended or waits in write(2) for room in the full pipe: a cancel then lands in a
// system call, where no lock is held, and the pipe cannot yet hold the sheet's last bytes, so the
// read cannot end the sheet.
#include <sane/sane.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <fstream>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <sys/syscall.h>
#include <thread>
#include <vector>

namespace {

std::set<long> ThreadIds() {
    std::set<long> ids;
    if (DIR* dir = opendir("/proc/self/task")) {
        while (const dirent* entry = readdir(dir)) {
            if (entry->d_name[0] != '.') ids.insert(std::strtol(entry->d_name, nullptr, 10));
        }
        closedir(dir);
    }
    return ids;
}

// True once the thread has ended or is blocked in write(2).
bool EndedOrWriting(long thread) {
    char path[64];
    std::snprintf(path, sizeof path, "/proc/self/task/%ld/syscall", thread);
    std::ifstream in(path);
    if (!in) return true;
    std::string call; // the system call it waits in, or "running", or -1 outside one
    in >> call;
    return call == std::to_string(SYS_write);
}

std::mutex Mutex;
std::map<SANE_Handle, std::vector<long>> Readers; // the threads the last sane_start began

void WaitForReaders(SANE_Handle handle) {
    std::vector<long> readers;
    {
        std::lock_guard lock(Mutex);
        const auto found = Readers.find(handle);
        if (found != Readers.end()) readers = found->second;
    }
    // A bound only against a reader that never settles; a settled one is seen within microseconds.
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    for (const long thread : readers) {
        while (!EndedOrWriting(thread) && std::chrono::steady_clock::now() < giveUp)
            std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
}

} // namespace

extern "C" {

SANE_Status __real_sane_start(SANE_Handle handle);
SANE_Status __real_sane_read(SANE_Handle handle, SANE_Byte* data, SANE_Int maxLength, SANE_Int* length);
void __real_sane_cancel(SANE_Handle handle);

SANE_Status __wrap_sane_start(SANE_Handle handle) {
    const std::set<long> before = ThreadIds();
    const SANE_Status status = __real_sane_start(handle);
    std::vector<long> started;
    for (const long thread : ThreadIds()) {
        if (!before.count(thread)) started.push_back(thread);
    }
    std::lock_guard lock(Mutex);
    Readers[handle] = std::move(started);
    return status;
}

SANE_Status __wrap_sane_read(SANE_Handle handle, SANE_Byte* data, SANE_Int maxLength, SANE_Int* length) {
    WaitForReaders(handle);
    return __real_sane_read(handle, data, maxLength, length);
}

void __wrap_sane_cancel(SANE_Handle handle) {
    WaitForReaders(handle);
    __real_sane_cancel(handle);
}

} // extern "C"
