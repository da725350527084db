// account.h: the class under test of the banking example. The test driver provides
// audit_log and notify as stubs.
#pragma once
#include <stdexcept>

void audit_log(const char* event, int amount);
void notify(const char* message);

class Account {
public:
    int balance = 0;
    bool closed = false;

    void deposit(int amount) {
        if (amount <= 0)
            throw std::invalid_argument("a deposit must be positive");
        balance += amount;
        audit_log("deposit", amount);
    }

    void withdraw(int amount) {
        if (amount > balance)
            throw std::invalid_argument("a withdrawal beyond the balance");
        balance -= amount;
    }

    void close() {
        closed = true;
        notify("account closed");
    }
};
