#include "weather/Checkpointer.h"

#include <sqlite3.h>

#include <algorithm>
#include <system_error>
#include <utility>

namespace zephyra::weather {

namespace {

int onCommit(void* self, sqlite3* db, const char* name, int pages) {
    auto* checkpointer = static_cast<Checkpointer*>(self);
    if (pages >= checkpointer->thresholdPages() && !checkpointer->request()) {
        // No thread to hand it to: checkpoint here, as SQLite would have.
        sqlite3_wal_checkpoint(db, name);
    }
    return SQLITE_OK;
}

}  // namespace

Checkpointer::Checkpointer(std::string path) : path_(std::move(path)) {}

Checkpointer::~Checkpointer() {
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
    }
    wake_.notify_all();
    if (thread_.joinable()) {
        thread_.join();
    }
}

void Checkpointer::attach(sqlite3* db) {
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(db, "PRAGMA page_size", -1, &st, nullptr) == SQLITE_OK &&
        sqlite3_step(st) == SQLITE_ROW && sqlite3_column_int(st, 0) > 0) {
        thresholdPages_ = std::max(1, kLogBytes / sqlite3_column_int(st, 0));
    }
    sqlite3_finalize(st);
    sqlite3_wal_hook(db, onCommit, this);
}

bool Checkpointer::request() {
    {
        std::lock_guard lock(mutex_);
        // A thread that could not reach the file hands the work back to the caller.
        if (unreachable_) {
            return false;
        }
        // The thread starts with the first checkpoint: most program runs never need one.
        if (!thread_.joinable()) {
            try {
                thread_ = std::thread([this] { run(); });
            } catch (const std::system_error&) {
                return false;
            }
        }
        pending_ = true;
    }
    wake_.notify_one();
    return true;
}

void Checkpointer::drain() {
    std::unique_lock lock(mutex_);
    idle_.wait(lock, [this] { return (!pending_ && !busy_) || !thread_.joinable(); });
}

int Checkpointer::completed() const {
    std::lock_guard lock(mutex_);
    return completed_;
}

void Checkpointer::run() {
    sqlite3* db = nullptr;
    std::unique_lock lock(mutex_);
    while (true) {
        wake_.wait(lock, [this] { return pending_ || stop_; });
        if (stop_) {
            break;
        }
        pending_ = false;
        busy_ = true;
        lock.unlock();
        if (db == nullptr &&
            sqlite3_open_v2(path_.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
            sqlite3_close_v2(db);
            db = nullptr;
            lock.lock();
            unreachable_ = true;
            lock.unlock();
        }
        bool done = false;
        if (db != nullptr) {
            sqlite3_busy_timeout(db, 2000);
            done = sqlite3_wal_checkpoint_v2(db, nullptr, SQLITE_CHECKPOINT_PASSIVE, nullptr,
                                             nullptr) == SQLITE_OK;
        }
        lock.lock();
        busy_ = false;
        completed_ += done ? 1 : 0;
        idle_.notify_all();
    }
    busy_ = false;
    idle_.notify_all();
    lock.unlock();
    sqlite3_close_v2(db);
}

}  // namespace zephyra::weather
