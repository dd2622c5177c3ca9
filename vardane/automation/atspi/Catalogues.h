#pragma once

// Other programs' message catalogues (gettext's .mo files), read for the
// language a program runs in: how it shows a message to its user.

#include <cstdint>
#include <string>
#include <vector>

namespace automation::atspi {

// The languages a process shows its messages in, most wanted first, as
// gettext picks them from its environment (LANGUAGE, else LC_ALL,
// LC_MESSAGES, LANG); each as "ll_CC@variant", then "ll_CC", "ll@variant"
// and "ll". Empty where it shows them untranslated, or cannot be read.
std::vector<std::string> languagesOf(std::uint32_t pid);
// The same, from an environment's entries ("NAME=value").
std::vector<std::string> languagesIn(const std::vector<std::string>& environment);

// The message's translation in the domain's catalogue of the first of the
// languages that has one (in the system's locale folders); "" when none
// translates it.
std::string translation(const std::string& domain, const std::string& message,
                        const std::vector<std::string>& languages);

} // namespace automation::atspi
