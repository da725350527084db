// tests/instr/signature_test.cpp: the declarations scripts name, taken apart, and the
// parameter comparison that tells overloads apart.
#include <gtest/gtest.h>

#include "instr/signature.h"

TEST(Signature, QualifiedNameParametersAndConstnessAreRead) {
    struct Case {
        const char* text;
        const char* name;  // "" when the text is no declaration
        std::size_t params;
        bool is_const;
    };
    const Case cases[] = {
        {"void Account::deposit(int amount)", "Account::deposit", 1, false},
        {"int bank::Account::balance() const", "bank::Account::balance", 0, true},
        {"void f(void)", "f", 0, false},
        {"std::map<int, std::string> g(const std::map<int, int>& m, int n = f(1, 2))", "g", 2, false},
        {"bool Box<T>::operator==(const Box& other) const", "Box::operator==", 1, true},
        {"Account::~Account()", "Account::~Account", 0, false},
        {"void /* a comment ( */ h(int)", "h", 1, false},
        {"no declaration here", "", 0, false},
    };
    for (const Case& c : cases) {
        const Signature s = parse_signature(c.text);
        EXPECT_EQ(s.valid ? qualified_text(s) : "", c.name) << c.text;
        if (s.valid) {
            EXPECT_EQ(s.params.size(), c.params) << c.text;
            EXPECT_EQ(s.is_const, c.is_const) << c.text;
        }
    }
}

TEST(Signature, ParametersMatchWithOrWithoutTheirNames) {
    const Tokens int_type = tokenize("int");
    const Tokens string_ref = tokenize("const std::string&");
    EXPECT_TRUE(same_parameter(tokenize("int amount"), int_type));
    EXPECT_TRUE(same_parameter(tokenize("int"), int_type));
    EXPECT_FALSE(same_parameter(tokenize("double amount"), int_type));
    EXPECT_FALSE(same_parameter(tokenize("unsigned int"), int_type));  // no name to drop
    EXPECT_TRUE(same_parameter(tokenize("const std::string& s"), string_ref));
    EXPECT_FALSE(same_parameter(tokenize("const std::string"), string_ref));
    EXPECT_TRUE(names_match(name_parts("Account::f"), {"bank", "Account", "f"}));
    EXPECT_FALSE(names_match(name_parts("count::f"), {"bank", "Account", "f"}));
    EXPECT_EQ(name_parts("class bank::Box<int> : public Base"), (Tokens{"bank", "Box"}));
}
