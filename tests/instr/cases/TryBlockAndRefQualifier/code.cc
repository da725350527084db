#include "code.h"
Tag::Tag(int v) try : v_(v) {
} catch (...) {
    throw;
}
