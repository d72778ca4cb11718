// Privacy: pure functions that decide what may be observed at all, turn titles, addresses and
// file paths into coarse classes, remove personal data from text used on this machine, and
// replace everything identifying with salted one-way codes. Also the rule categories, which
// share the application tables.
//
// Nothing here keeps state between calls. Tables, regular expressions and the name list are
// built once, race-free, on first use and only read afterwards, so every function may run on
// any thread. Nothing throws; a URL that does not parse simply has no host, path or document.
#pragma once

#include <QRegularExpression>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <map>
#include <optional>
#include <set>
#include <vector>

#include "config/deployment_config.h"

namespace tarnwhistle {

namespace Privacy {

// ---- Built-in tables -------------------------------------------------------------------------

// Bundle identifiers of web browsers, the original ones and Linux browsers of their own.
const std::set<QString>& browsers();
// Bundle identifiers of mail, chat and messenger applications, Linux ones included.
const std::set<QString>& conversationApps();
// Second-level suffixes under which a registrable domain has three parts ("co.uk" ...).
const std::set<QString>& twoPartSuffixes();
// Hosted issue trackers and help desks; one entry carries a path. Matched as a substring of
// host + path.
const QStringList& ticketSites();
// Web mail and web chat hosts; matched as a suffix of the host.
const QStringList& conversationSites();
// Office suites, notes/wikis, file sharing, design and whiteboard hosts; suffix of the host.
const QStringList& documentSites();
// Hosts whose URL paths identify a document or ticket; suffix of the host.
const QStringList& workSites();
// Bundle identifiers and Linux application ids with their default work category; compared
// exactly (case-sensitive).
const std::map<QString, QString>& defaultAppCategories();

// One site rule: `pattern` is a lower-case host, optionally followed by a path prefix; it
// decides `category` when it occurs anywhere in host + path.
struct SiteRule {
    QString pattern;
    QString category;
};
// The site rules, in the order they are tried.
const std::vector<SiteRule>& siteRules();

// ---- Regular expressions (Unicode \b and \d, compiled once) ---------------------------------

const QRegularExpression& emailRx();  // case-insensitive
const QRegularExpression& ibanRx();
// IBANs written in lower case or with hyphens; taken only when the checksum holds.
const QRegularExpression& looseIbanRx();
const QRegularExpression& cardRx();
const QRegularExpression& longNumberRx();
const QRegularExpression& ticketRx();     // "ABC-123"
const QRegularExpression& fileTitleRx();  // case-insensitive, ".docx", ".pdf" ...

// ---- Replacement tokens and classes ----------------------------------------------------------

inline constexpr QStringView emailToken = u"\u27E8email\u27E9";
inline constexpr QStringView ibanToken = u"\u27E8iban\u27E9";
inline constexpr QStringView cardToken = u"\u27E8card\u27E9";
inline constexpr QStringView phoneToken = u"\u27E8phone\u27E9";
inline constexpr QStringView addressToken = u"\u27E8address\u27E9";
inline constexpr QStringView numberToken = u"\u27E8number\u27E9";
inline constexpr QStringView nameToken = u"\u27E8name\u27E9";

// Prefixes of the coded identifiers.
inline constexpr QStringView titlePrefix = u"th_";
inline constexpr QStringView documentPrefix = u"dh_";
inline constexpr QStringView evidencePrefix = u"eh_";
inline constexpr QStringView subjectPrefix = u"sub_";

// ---- Exclusions ------------------------------------------------------------------------------

// True when `bundleId` equals one of cfg.excludedBundleIds ignoring case (whole identifier,
// entries not trimmed; an empty entry never matches).
bool isExcludedApp(const QString& bundleId, const DeploymentConfig& cfg);

// True when the lower-cased `host` equals an entry of cfg.excludedDomains (lower-cased, spaces
// and tabs trimmed, empty entries skipped), ends with "." + entry, or `domain` equals the entry.
// No host: false.
bool isExcludedDomain(const std::optional<QString>& domain, const std::optional<QString>& host,
                      const DeploymentConfig& cfg);

// True when the lower-cased title contains any non-empty trimmed, lower-cased entry of
// cfg.excludedTitleWords (plain substring, also inside longer words).
bool hasExcludedWord(const QString& title, const DeploymentConfig& cfg);

// True for titles of private or incognito browser windows.
bool isPrivateBrowsing(const QString& title);

// ---- Hosts and identities --------------------------------------------------------------------

// The lower-cased host of `url` without one leading "www."; none when the URL does not parse
// or has no host.
std::optional<QString> host(const std::optional<QString>& url);

// The registrable domain of `host`: the last two labels, or three when the last two are one
// of twoPartSuffixes() and the host has more than two labels. A host of one or two labels comes
// back unchanged. No host: none.
std::optional<QString> domain(const std::optional<QString>& host);

// "ticket", "conversation", "document", "browser" or "other"; the first rule that holds.
QString titleClass(const QString& bundleId, const QString& title,
                   const std::optional<QString>& host, const std::optional<QString>& url,
                   bool hasDocument);

struct DocumentIdentity {
    QString identity;  // "file:~/...", "url:host/path" or "title:..."; never leaves the machine
    QString docClass;  // extension, "file", "spreadsheet", "presentation", "document",
                       // "ticket" or "web_document"
    bool operator==(const DocumentIdentity&) const = default;
};

// What document a window shows, from its file path, else its URL, else its title; none when
// it shows no document. `titleClass` is the result of titleClass() for the same window.
std::optional<DocumentIdentity> documentIdentity(const std::optional<QString>& documentPath,
                                                 const std::optional<QString>& url,
                                                 const QString& title, const QString& titleClass);

// ---- Redaction and codes ---------------------------------------------------------------------

// `text` with e-mail addresses, IBANs, card numbers (Luhn-checked), phone numbers, postal
// addresses, long numbers and personal names replaced by their tokens, in that order.
// Lone surrogates become U+FFFD; a token never replaces part of another token.
QString redact(const QString& text);

// `prefix` + the first 16 lower-case hex digits of HMAC-SHA256(key: UTF-8 of `salt` as text,
// message: UTF-8 of `value`).
QString hash(const QString& value, const QString& salt, QStringView prefix);

// The IBAN checksum (ISO 13616, mod 97) over `text` with separators removed; false for
// anything that is not two letters, two digits and 11 to 30 letters or digits.
bool ibanChecksum(QStringView text);

// The Luhn checksum over `text` (any Unicode decimal digits); false when it is empty or holds
// anything that is not a decimal digit.
bool luhn(QStringView text);

// ---- Rule category ---------------------------------------------------------------------------

// The work category from the site alone (first matching site rule over host + path of `url`),
// else cfg.appCategories[bundleId], else defaultAppCategories()[bundleId], else "research" for
// a browser with a host; otherwise none. The names are returned whatever the user's vocabulary.
std::optional<QString> ruleCategory(const QString& bundleId, const std::optional<QString>& host,
                                    const std::optional<QString>& url, const DeploymentConfig& cfg);

}  // namespace Privacy

}  // namespace tarnwhistle
