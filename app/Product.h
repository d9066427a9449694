// The product's fixed texts and addresses. The home page and the support address are build
// settings (CMake cache variables NQ_HOME_SITE and NQ_SUPPORT_EMAIL); the path "/norvane" and the mail subject are fixed.
#pragma once

#include <string>

#ifndef NQ_HOME_SITE
#define NQ_HOME_SITE "http://www.norvane-quillet.com"
#endif
#ifndef NQ_SUPPORT_EMAIL
#define NQ_SUPPORT_EMAIL "support@norvane-quillet.com"
#endif

namespace nq {

inline constexpr const char* kHomePage = NQ_HOME_SITE "/norvane";
inline constexpr const char* kSupportEmail = NQ_SUPPORT_EMAIL;
inline constexpr const char* kSupportMailLink = "mailto:" NQ_SUPPORT_EMAIL "?subject=about norvane1.4";
inline constexpr const char* kHelpFile = "norvane.chm";
inline constexpr const char* kVersionText = "V1.4 Build 01/08/2004";
inline constexpr const char* kMakerName = "Quillet Software";
inline constexpr const char* kProgrammerName = "A. Norvane";
// The bottom panel's one-line notice: the maker and the year.
inline constexpr const char* kNotice = "(C) 2004 Quillet Software";

// Hands an address to the shell's open operation, shown normally; the result is not looked at.
void OpenLink(const std::string& address);
// Opens norvane.chm beside the executable, maximised.
void OpenHelp();

}  // namespace nq
