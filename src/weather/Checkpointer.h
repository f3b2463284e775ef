#pragma once

#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

struct sqlite3;

namespace zephyra::weather {

// Copies the write-ahead log back into the database file on a thread of its own, with its own
// connection. A checkpoint waits for the disk twice; done on the program's thread it would
// hold up every third weather load by a few milliseconds.
//
// attach() replaces SQLite's automatic checkpoint on a connection: after a commit leaves at
// least kLogBytes in the log, the thread is asked for a passive checkpoint, which never
// blocks the connection that asked. When no thread can be started, or the thread cannot open
// the file, the connection checkpoints for itself, as SQLite would have.
class Checkpointer {
  public:
    // SQLite's own threshold: a thousand pages of 4 KB.
    static constexpr int kLogBytes = 4 * 1024 * 1024;

    // path: the database file, absolute (the program may change its folder later).
    explicit Checkpointer(std::string path);
    ~Checkpointer();
    Checkpointer(const Checkpointer&) = delete;
    Checkpointer& operator=(const Checkpointer&) = delete;

    void attach(sqlite3* db);
    // Asks for a checkpoint and returns at once; false when there is no thread to run it.
    bool request();
    // Waits until every checkpoint asked for so far has run (for tests).
    void drain();
    int completed() const;
    // Log pages that call for a checkpoint, for the file's page size.
    int thresholdPages() const { return thresholdPages_; }

  private:
    void run();

    std::string path_;
    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable idle_;
    bool pending_ = false;
    bool busy_ = false;
    bool stop_ = false;
    bool unreachable_ = false;
    int completed_ = 0;
    int thresholdPages_ = kLogBytes / 4096;
    std::thread thread_;
};

}  // namespace zephyra::weather
