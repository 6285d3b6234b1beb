#pragma once

class Database;

// BEGIN IMMEDIATE in the constructor; commit() makes the changes durable. Anything not
// committed (an exception on the way out, an early return) is rolled back by the
// destructor, which never throws: a rollback that fails is reported on standard error.
class Transaction {
public:
    explicit Transaction(Database& db);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    void commit();  // throws on failure; the transaction is then rolled back by the destructor

private:
    Database& db_;
    bool committed_ = false;
};
