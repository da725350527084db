#include "code.h"
void bank::Account::deposit(int amount) { balance += amount; }
