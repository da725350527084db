#include "code.h"
int total(const Account& a) { return a.balance; }
