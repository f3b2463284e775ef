#include "weather/Statement.h"

#include <utility>

namespace zephyra::weather {

Statement::Statement(sqlite3* db, std::string_view sql) {
    if (sqlite3_prepare_v3(db, sql.data(), static_cast<int>(sql.size()), SQLITE_PREPARE_PERSISTENT,
                           &stmt_, nullptr) != SQLITE_OK) {
        sqlite3_finalize(stmt_);
        stmt_ = nullptr;
    }
}

Statement::~Statement() {
    sqlite3_finalize(stmt_);
}

Statement::Statement(Statement&& other) noexcept : stmt_(std::exchange(other.stmt_, nullptr)) {}

Statement& Statement::operator=(Statement&& other) noexcept {
    if (this != &other) {
        sqlite3_finalize(stmt_);
        stmt_ = std::exchange(other.stmt_, nullptr);
    }
    return *this;
}

void Statement::bind(int index, const std::string& value) {
    sqlite3_bind_text(stmt_, index, value.data(), static_cast<int>(value.size()), SQLITE_TRANSIENT);
}
void Statement::bindStatic(int index, const std::string& value) {
    sqlite3_bind_text(stmt_, index, value.data(), static_cast<int>(value.size()), SQLITE_STATIC);
}
void Statement::bind(int index, double value) {
    sqlite3_bind_double(stmt_, index, value);
}
void Statement::bind(int index, int value) {
    sqlite3_bind_int(stmt_, index, value);
}
void Statement::bind(int index, long long value) {
    sqlite3_bind_int64(stmt_, index, value);
}

int Statement::step() {
    return stmt_ == nullptr ? SQLITE_MISUSE : sqlite3_step(stmt_);
}

void Statement::reset() {
    if (stmt_ != nullptr) {
        sqlite3_reset(stmt_);
    }
}

void Statement::clearBindings() {
    if (stmt_ != nullptr) {
        sqlite3_clear_bindings(stmt_);
    }
}

std::string Statement::text(int column) const {
    // A text column's bytes as stored (the file is UTF-8). Unlike sqlite3_column_text this
    // needs no terminating NUL, so a text read straight off a page is not copied twice.
    const auto* p = static_cast<const char*>(sqlite3_column_blob(stmt_, column));
    if (p == nullptr) {
        return {};
    }
    return std::string(p, static_cast<std::size_t>(sqlite3_column_bytes(stmt_, column)));
}
std::string_view Statement::view(int column) const {
    const auto* p = static_cast<const char*>(sqlite3_column_blob(stmt_, column));
    if (p == nullptr) {
        return {};
    }
    return {p, static_cast<std::size_t>(sqlite3_column_bytes(stmt_, column))};
}
double Statement::real(int column) const {
    return sqlite3_column_double(stmt_, column);
}
int Statement::integer(int column) const {
    return sqlite3_column_int(stmt_, column);
}
long long Statement::integer64(int column) const {
    return sqlite3_column_int64(stmt_, column);
}

Transaction::Transaction(sqlite3* db) : db_(db) {
    open_ = sqlite3_exec(db_, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) == SQLITE_OK;
}

Transaction::~Transaction() {
    if (open_) {
        sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
    }
}

bool Transaction::commit() {
    if (!open_) {
        return false;
    }
    open_ = false;
    return sqlite3_exec(db_, "COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK;
}

}  // namespace zephyra::weather
