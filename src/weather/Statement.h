#pragma once

#include <sqlite3.h>

#include <string>
#include <string_view>

namespace zephyra::weather {

// A prepared statement that finalizes itself. Binding indices start at 1.
class Statement {
  public:
    Statement() = default;
    Statement(sqlite3* db, std::string_view sql);
    ~Statement();
    Statement(Statement&& other) noexcept;
    Statement& operator=(Statement&& other) noexcept;
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    bool valid() const { return stmt_ != nullptr; }
    sqlite3_stmt* get() const { return stmt_; }

    void bind(int index, const std::string& value);
    // Binds without a copy: the text must stay unchanged until the statement is reset.
    void bindStatic(int index, const std::string& value);
    void bind(int index, double value);
    void bind(int index, int value);
    void bind(int index, long long value);
    // Runs to the next row: SQLITE_ROW, SQLITE_DONE or an error code.
    int step();
    // Ready to run again; the bound values stay until bound anew or cleared.
    void reset();
    void clearBindings();

    std::string text(int column) const;
    // The column's bytes in place: valid until the next step, reset or read of the column.
    std::string_view view(int column) const;
    double real(int column) const;
    int integer(int column) const;
    long long integer64(int column) const;

  private:
    sqlite3_stmt* stmt_ = nullptr;
};

// An explicit transaction: rolled back unless committed.
class Transaction {
  public:
    explicit Transaction(sqlite3* db);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;
    bool commit();

  private:
    sqlite3* db_;
    bool open_ = false;
};

}  // namespace zephyra::weather
