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
// least kPages pages in the log, the thread is asked for a passive checkpoint, which never
// blocks the connection that asked. When no thread can be started the connection checkpoints
// for itself, as SQLite would have.
class Checkpointer {
  public:
    static constexpr int kPages = 1000;

    explicit Checkpointer(std::string path);
    ~Checkpointer();
    Checkpointer(const Checkpointer&) = delete;
    Checkpointer& operator=(const Checkpointer&) = delete;

    void attach(sqlite3* db);
    // Asks for a checkpoint and returns at once; false when there is no thread to run it.
    bool request();
    // Waits until every checkpoint asked for so far has run (for tests and shutdown).
    void drain();
    int completed() const;

  private:
    void run();

    std::string path_;
    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable idle_;
    bool pending_ = false;
    bool busy_ = false;
    bool stop_ = false;
    int completed_ = 0;
    std::thread thread_;
};

}  // namespace zephyra::weather
