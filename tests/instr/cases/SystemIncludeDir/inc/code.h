#pragma once
namespace bank {
class Account {
public:
    Account() = default;
    explicit Account(int start) : balance(start) {}
    void deposit(int amount);
    int get() const { return balance; }
    void corrupt() { balance = -1; }
private:
    int balance = 0;
};
}
