#include "code.h"
void Account::deposit(int amount) { balance += amount; }
