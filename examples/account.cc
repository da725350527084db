// account.cc: the methods of the banking example's Account.
#include "account.h"

#include <stdexcept>

void Account::deposit(int amount) {
    if (amount <= 0)
        throw std::invalid_argument("a deposit must be positive");
    balance += amount;
    audit_log("deposit", amount);
}

void Account::withdraw(int amount) {
    if (amount > balance)
        throw std::invalid_argument("a withdrawal beyond the balance");
    balance -= amount;
}

void Account::close() {
    closed = true;
    notify("account closed");
}
