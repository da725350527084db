// account.h: the class under test of the banking example (its methods in account.cc).
// The test driver provides audit_log and notify as stubs.
#pragma once

void audit_log(const char* event, int amount);
void notify(const char* message);

class Account {
public:
    int balance = 0;
    bool closed = false;

    void deposit(int amount);
    void withdraw(int amount);
    void close();
};
