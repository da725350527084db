#include "bank/account.h"

namespace bank {

void Account::deposit(int amount) { money += amount; }

bool Account::withdraw(int amount) {
    if (amount > money)
        return false;
    money -= amount;
    return true;
}

}  // namespace bank
