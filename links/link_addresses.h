#pragma once
// The six web pages the program's link labels open. The update, comments and online terms pages
// belong to the maker's web site, whose root is the home page; the support centre and the
// social-network page are other sites. The addresses sit under reserved example domains, so no
// test ever reaches a real site.

namespace amorix::links {

inline constexpr char kHomePage[] = "https://www.quillon.example.com/";
inline constexpr char kUpdatePage[] = "https://www.quillon.example.com/amorix/update";
inline constexpr char kCommentsPage[] = "https://www.quillon.example.com/amorix/comments";
inline constexpr char kOnlineTermsPage[] = "https://www.quillon.example.com/terms";
inline constexpr char kSupportCentre[] = "https://support.example.org/quillon";
inline constexpr char kSocialNetworkPage[] = "https://social.example.net/quillon";

}  // namespace amorix::links
