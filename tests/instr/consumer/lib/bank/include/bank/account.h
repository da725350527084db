// account.h: an account whose balance never goes below zero.
#pragma once

namespace bank {

class Account {
public:
    void deposit(int amount);
    bool withdraw(int amount);
    int balance() const { return money; }

private:
    int money = 0;
};

}  // namespace bank
