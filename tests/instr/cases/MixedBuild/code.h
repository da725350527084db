#pragma once
class Account {
public:
    void deposit(int amount);
    int balance = 0;
};
int total(const Account& a);
