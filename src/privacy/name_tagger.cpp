#include "privacy/name_tagger.h"

#include <QSet>
#include <optional>

#include "privacy/cjk_names.h"

namespace tarnwhistle {

namespace NameTagger {
namespace {

struct Word {
    qsizetype start = 0;
    qsizetype end = 0;      // without a possessive "'s"
    QStringView text;       // the same span
    QStringView gapBefore;  // the characters between the previous word and this one
};

bool isApostrophe(QChar c) {
    return c == u'\'' || c == u'\u2019';
}
bool isWordChar(QChar c) {
    return c.isLetter() || c.isMark();
}

std::vector<Word> words(const QString& text) {
    std::vector<Word> result;
    const qsizetype n = text.size();
    qsizetype previousEnd = 0;
    qsizetype i = 0;
    while (i < n) {
        if (!isWordChar(text[i])) {
            ++i;
            continue;
        }
        const qsizetype start = i;
        while (i < n) {
            if (isWordChar(text[i]))
                ++i;
            else if ((isApostrophe(text[i]) || text[i] == u'-') && i + 1 < n &&
                     text[i + 1].isLetter())
                i += 2;
            else
                break;
        }
        qsizetype end = i;
        if (end - start > 2 && isApostrophe(text[end - 2]) &&
            (text[end - 1] == u's' || text[end - 1] == u'S'))
            end -= 2;
        // Words glued to digits ("Q3Anna") are codes, not names.
        if (!(start > 0 && text[start - 1].isDigit()) && !(i < n && text[i].isDigit())) {
            const QStringView all(text);
            result.push_back({start, end, all.mid(start, end - start),
                              all.mid(previousEnd, start - previousEnd)});
        }
        previousEnd = i;
    }
    return result;
}

bool isBlank(QChar c) {
    return c == u' ' || c == u'\t' || c == u'\u00A0';
}

// Words of one name are separated by a few spaces, nothing else.
bool joinedBySpace(QStringView gap) {
    if (gap.isEmpty() || gap.size() > 3) return false;
    for (QChar c : gap)
        if (!isBlank(c)) return false;
    return true;
}

// A title may carry a full stop: "Dr. Weber".
bool joinedAfterTitle(QStringView gap, bool needsStop) {
    if (gap.startsWith(u'.')) return joinedBySpace(gap.mid(1));
    return !needsStop && joinedBySpace(gap);
}

bool isCapitalised(QStringView word) {
    if (word.size() < 2 || !word[0].isUpper()) return false;
    for (qsizetype i = 1; i < word.size(); ++i)
        if (word[i].isLower()) return true;
    return false;
}

// A word of a script without capitals (Arabic, Hebrew, Thai, Georgian, Devanagari ...): its
// shape says nothing, so only the name list can tell.
bool isCaseless(QStringView word) {
    return !word.isEmpty() && word[0].category() == QChar::Letter_Other;
}

const QSet<QString>& titles() {
    static const QSet<QString> set{
        "Mr",   "Mrs",  "Ms",  "Miss",   "Mx",    "Dr",     "Prof",    "Herr",     "Frau",
        "Mme",  "Mlle", "Sr",  "Sra",    "Dott",  "Dhr",    "Mevr",    "Pani",     "Sayın",
        "Shri", "Smt",  "Sri", "Sheikh", "Ustaz", "Г-н",    "Г-жа",    "Господин", "Госпожа",
        "Пан",  "Пані", "Κος", "Κα",     "السيد", "السيدة", "الدكتور", "מר",       "גב"};
    return set;
}

const QSet<QString>& greetings() {
    static const QSet<QString> set{
        "Hi",       "Hello",     "Hey",     "Dear",    "Thanks",       "Cheers",    "Hallo",
        "Liebe",    "Lieber",    "Bonjour", "Salut",   "Hola",         "Ciao",      "Hoi",
        "Beste",    "Grazie",    "Merci",   "Danke",   "hi",           "hello",     "hey",
        "thanks",   "cc",        "Cc",      "CC",      "Olá",          "Oi",        "Hej",
        "Moin",     "Servus",    "Szia",    "Cześć",   "Witaj",        "Ahoj",      "Bok",
        "Zdravo",   "Merhaba",   "Selam",   "Sevgili", "Salam",        "Marhaba",   "Habari",
        "Sawubona", "Namaste",   "Shalom",  "Привет",  "Здравствуйте", "Уважаемый", "Уважаемая",
        "Дорогой",  "Дорогая",   "Спасибо", "Привіт",  "Дякую",        "Γεια",      "Αγαπητέ",
        "Αγαπητή",  "Ευχαριστώ", "مرحبا",   "عزيزي",   "عزيزتي",       "شكرا",      "שלום",
        "תודה"};
    return set;
}

// Capitalised words that are almost never part of a name: function words, days, months, and
// the words window titles are made of.
const QSet<QString>& notNames() {
    static const QSet<QString> set{
        "The", "A", "An", "And", "Or", "But", "If", "In", "On", "At", "To", "For", "Of", "With",
        "From", "By", "Is", "Are", "Was", "Were", "Has", "Have", "Had", "Will", "Would", "Can",
        "Could", "Should", "May", "Might", "Must", "Do", "Does", "Did", "Not", "No", "Yes", "This",
        "That", "These", "Those", "It", "He", "She", "We", "They", "You", "My", "Your", "Our",
        "Their", "His", "Her", "Its", "Here", "There", "When", "What", "Who", "Why", "How", "All",
        "Any", "Some", "Please", "Thanks", "Hi", "Hello", "Der", "Die", "Das", "Und", "Oder", "Ist",
        "Le", "La", "Les", "Et", "Ou", "Est", "El", "Los", "Las", "Il", "Lo", "Monday", "Tuesday",
        "Wednesday", "Thursday", "Friday", "Saturday", "Sunday", "January", "February", "March",
        "April", "June", "July", "August", "September", "October", "November", "December", "Today",
        "Tomorrow", "Yesterday", "Meeting", "Call", "Notes", "Update", "Updates", "Review",
        "Project", "Team", "Chat", "Sync", "Report", "Plan", "Draft", "Document", "Doc", "Docs",
        "Sheet", "Sheets", "Slides", "Inbox", "Mail", "Message", "Messages", "Calendar", "Invite",
        "Invitation", "Edited", "Shared", "Google", "Microsoft", "Slack", "Zoom", "Teams", "Chrome",
        "Firefox", "Safari", "Edge", "Word", "Excel", "Code", "Studio", "Visual", "Preview",
        "Finder", "Terminal", "Settings", "Online", "Support", "Store", "Street", "Road", "Avenue",
        "State", "City", "Arena", "Lake", "Valley", "Center", "Centre", "Square", "Tower",
        "Station", "Airport", "University", "College", "School", "Hospital", "Museum", "Zoo",
        "Issue", "Edition", "Version", "Release", "Santa", "San", "Saint", "Fort", "Port", "Mount",
        "New", "North", "South", "East", "West", "Total", "Cost", "Welcome",
        // words of headings before a colon ("Action Items:", "Next Steps:")
        "Action", "Actions", "Item", "Items", "Next", "Steps", "Step", "Key", "Points", "Open",
        "Questions", "Question", "Due", "Date", "Status", "Summary", "Agenda", "Decisions", "Risks",
        "Issues", "Tasks", "Goals", "Owner", "Owners", "Budget", "Sale", "Subject", "Reminder",
        "Warning", "Error", "Note", "Important", "Result", "Results", "Answer", "Example", "Reason",
        "Topic", "Location", "Time", "Amount", "Reference", "Order", "Invoice", "Attendees",
        "Participants", "Comments", "Feedback", "Details", "Description", "Title", "Name", "Phone",
        "Email", "Address", "Contact", "Final", "Quick", "Main", "General", "Last", "First",
        "Current", "Old", "Short"};
    return set;
}

// Given names that are also ordinary words, places or brands: a name only next to a known
// family name ("Grace Hopper"), never on their own or before any capitalised word.
const QSet<QString>& ambiguousGivenNames() {
    static const QSet<QString> set{
        "Will",       "May",      "Mark",     "Bill",     "Grace",    "Hope",     "Faith",
        "Joy",        "Rose",     "Summer",   "April",    "June",     "August",   "Autumn",
        "Dawn",       "Eve",      "Art",      "Ray",      "Sky",      "Skye",     "Angel",
        "Amber",      "Crystal",  "Jade",     "Ruby",     "Pearl",    "Iris",     "Ivy",
        "Lily",       "Holly",    "Daisy",    "Violet",   "Jasmine",  "Destiny",  "Harmony",
        "Melody",     "Patience", "Trinity",  "Charity",  "Heaven",   "Hunter",   "Mason",
        "Taylor",     "Cooper",   "Carter",   "Parker",   "Chase",    "Jack",     "Earl",
        "King",       "Prince",   "Major",    "Sterling", "Guy",      "Pat",      "Sue",
        "Don",        "Gene",     "Lance",    "Dean",     "Drew",     "Ginger",   "Brandy",
        "Dusty",      "Rocky",    "Sunny",    "River",    "Brook",    "Forest",   "Glen",
        "Clay",       "Stone",    "Heath",    "Reed",     "Rod",      "Wade",     "Jet",
        "Max",        "Miles",    "Frank",    "Ernst",    "Royal",    "Sage",     "Willow",
        "Olive",      "Basil",    "Berry",    "Coral",    "Sandy",    "Rusty",    "Blue",
        "Gray",       "Green",    "Brown",    "Nova",     "Luna",     "Aurora",   "Stella",
        "Mac",        "Van",      "Julia",    "Mercedes", "Ford",     "Alexa",    "Paris",
        "London",     "Florence", "Victoria", "Austin",   "Chelsea",  "Georgia",  "Virginia",
        "Sydney",     "Dallas",   "Lincoln",  "Houston",  "Carolina", "Santiago", "Israel",
        "Eugene",     "Orlando",  "Phoenix",  "Jordan",   "Adelaide", "Madison",  "Brooklyn",
        "Dakota",     "Cheyenne", "Chad",     "Tyler",    "Harley",   "Dylan",    "Scarlett",
        "Clementine", "Rosemary", "Bob",      "Nick",     "Kim",      "Lee",      "Price",
        "Washington", "Noble",    "Winter",   "Spring",   "Autumn",   "Sunday",   "Clark",
        "Cash",       "Bishop",   "Baker",    "Hill",     "Long",     "Young"};
    return set;
}

bool isAmbiguous(QStringView word) {
    const qsizetype hyphen = word.indexOf(u'-');
    return ambiguousGivenNames().contains(word.toString()) ||
           (hyphen > 0 && ambiguousGivenNames().contains(word.left(hyphen).toString()));
}

// Family names that are also words of places: after an ambiguous given name they name a
// place ("Lincoln Park", "Jordan Hill").
const QSet<QString>& placeWords() {
    static const QSet<QString> set{"Park",    "Hill",    "Hall",   "Green", "Bay",
                                   "Wood",    "Field",   "Bridge", "Lane",  "Garden",
                                   "Gardens", "Heights", "Beach"};
    return set;
}

// What chat and collaboration tools write after a person's name.
const QSet<QString>& eventWords() {
    static const QSet<QString> set{
        "joined",   "left",     "mentioned", "reacted",   "replied", "shared",   "assigned",
        "accepted", "declined", "commented", "uploaded",  "invited", "approved", "rejected",
        "edited",   "changed",  "started",   "removed",   "added",   "posted",   "sent",
        "is",       "has",      "wants",     "requested", "created", "updated"};
    return set;
}

const QSet<QString>& particles() {
    static const QSet<QString> set{"van",  "von", "de",  "der",   "den", "di",  "da", "du",
                                   "le",   "la",  "del", "della", "ten", "ter", "zu", "bin",
                                   "bint", "ibn", "al",  "el",    "dos", "das"};
    return set;
}

// The given-name part of a word ("Anna" for "Anna-Lena").
bool isGiven(QStringView word, const NameGazetteer& names) {
    if (names.isGivenName(word)) return true;
    const qsizetype hyphen = word.indexOf(u'-');
    return hyphen > 0 && names.isGivenName(word.left(hyphen));
}

bool isNameWord(QStringView word) {
    return isCapitalised(word) && !notNames().contains(word.toString());
}

bool isKnown(QStringView word, const NameGazetteer& names) {
    return names.isFamilyName(word) || isGiven(word, names);
}

// Only blanks, and perhaps a bracketed time ("[09:14]"), between the line's start and `at`.
bool startsLine(const QString& text, qsizetype at) {
    qsizetype i = at;
    while (i > 0 && isBlank(text[i - 1])) --i;
    if (i > 0 && text[i - 1] == u']') {
        const qsizetype open = text.lastIndexOf(u'[', i - 1);
        const qsizetype lineBreak = text.lastIndexOf(u'\n', i - 1);
        if (open < 0 || open < lineBreak || i - open > 24) return false;
        i = open;
        while (i > 0 && isBlank(text[i - 1])) --i;
    }
    return i == 0 || text[i - 1] == u'\n' || text[i - 1] == u'\r';
}

// A colon (ASCII or full-width) right after `at`, then a blank or the end: "Anna Smith: hi".
bool colonAfter(const QString& text, qsizetype at) {
    if (at >= text.size() || (text[at] != u':' && text[at] != u'\uFF1A')) return false;
    return at + 1 == text.size() || isBlank(text[at + 1]) || text[at + 1] == u'\n';
}

// The next name word after word `k`, across at most two particles ("van der"); 0 when the
// name cannot go on.
size_t nextNameWord(const std::vector<Word>& textWords, size_t k) {
    size_t next = k + 1;
    size_t particleCount = 0;
    while (next < textWords.size() && particleCount < 2 &&
           joinedBySpace(textWords[next].gapBefore) &&
           particles().contains(textWords[next].text.toString())) {
        ++next;
        ++particleCount;
    }
    if (next >= textWords.size() || !joinedBySpace(textWords[next].gapBefore) ||
        !isNameWord(textWords[next].text))
        return 0;
    return next;
}

// The last word of a name that already runs to `last`: later words join while they are known
// names, or capitalised words after particles.
size_t extended(const std::vector<Word>& textWords, size_t last, const NameGazetteer& names) {
    for (;;) {
        const size_t next = nextNameWord(textWords, last);
        if (next == 0) return last;
        const bool known =
            names.isFamilyName(textWords[next].text) || isGiven(textWords[next].text, names);
        if (!known && next == last + 1) return last;
        last = next;
    }
}

}  // namespace

std::vector<TextRange> find(const QString& text, const NameGazetteer& names) {
    const std::vector<Word> textWords = words(text);
    using Span = std::optional<std::pair<size_t, size_t>>;  // first and last word of a name
    // A known given name followed by a capitalised word.
    auto givenNameAt = [&](size_t k) -> Span {
        if (k >= textWords.size() || !isCapitalised(textWords[k].text) ||
            !isGiven(textWords[k].text, names))
            return std::nullopt;
        // "Can" is a given name too; a function word only starts a name when it is one of the
        // ambiguous names, which need a known family name after them.
        const QString first = textWords[k].text.toString();
        if (notNames().contains(first) && !ambiguousGivenNames().contains(first))
            return std::nullopt;
        const size_t next = nextNameWord(textWords, k);
        if (next == 0) return std::nullopt;
        // "Mercedes-Benz" is as ambiguous as "Mercedes"; a place word ("Lincoln Park") is not
        // the family name that would settle it.
        if (isAmbiguous(textWords[k].text) &&
            (!names.isFamilyName(textWords[next].text) ||
             placeWords().contains(textWords[next].text.toString())))
            return std::nullopt;
        return std::make_pair(k, extended(textWords, next, names));
    };
    auto titledNameAt = [&](size_t k) -> Span {
        // "Prof. Dr. Weber": the name follows the last title.
        if (k + 1 >= textWords.size() || titles().contains(textWords[k + 1].text.toString()) ||
            !(isNameWord(textWords[k + 1].text) ||
              (isCaseless(textWords[k + 1].text) &&
               !CjkNames::isCjk(text, textWords[k + 1].start))))
            return std::nullopt;
        const bool title = titles().contains(textWords[k].text.toString());
        if (!(title && joinedAfterTitle(textWords[k + 1].gapBefore, false)) &&
            !(textWords[k].text == u"M" && joinedAfterTitle(textWords[k + 1].gapBefore, true)))
            return std::nullopt;
        return std::make_pair(k + 1, extended(textWords, k + 1, names));
    };
    auto greetedNameAt = [&](size_t k) -> Span {
        if (k + 1 >= textWords.size() || !greetings().contains(textWords[k].text.toString()) ||
            !joinedBySpace(textWords[k + 1].gapBefore) || !isCapitalised(textWords[k + 1].text) ||
            !isGiven(textWords[k + 1].text, names) ||
            ambiguousGivenNames().contains(textWords[k + 1].text.toString()))
            return std::nullopt;
        return std::make_pair(k + 1, k + 1);
    };

    // Two or three name-shaped words before what chat tools write after a person: "Xu Jing
    // left the channel", "Nimal Perera accepted". ("is" and "has" only as "is typing" and
    // "has joined".)
    auto actorAt = [&](size_t k) -> Span {
        size_t last = k;
        if (!isNameWord(textWords[k].text)) return std::nullopt;
        while (last + 1 < textWords.size() && last < k + 2 &&
               joinedBySpace(textWords[last + 1].gapBefore) && isNameWord(textWords[last + 1].text))
            ++last;
        if (last == k || last + 1 >= textWords.size() ||
            !joinedBySpace(textWords[last + 1].gapBefore))
            return std::nullopt;
        const QString verb = textWords[last + 1].text.toString();
        if (!eventWords().contains(verb)) return std::nullopt;
        if (verb == u"is" || verb == u"has") {
            const QString then =
                last + 2 < textWords.size() ? textWords[last + 2].text.toString() : QString();
            if (then != u"typing" && then != u"joined" && then != u"left") return std::nullopt;
        }
        return std::make_pair(k, last);
    };
    // Scripts without capitals: a known name next to another known name ("محمد العلي").
    auto caselessNameAt = [&](size_t k) -> Span {
        if (k + 1 >= textWords.size() || !isCaseless(textWords[k].text) ||
            !isCaseless(textWords[k + 1].text) || !joinedBySpace(textWords[k + 1].gapBefore) ||
            !isKnown(textWords[k].text, names) || !isKnown(textWords[k + 1].text, names) ||
            CjkNames::isCjk(text, textWords[k].start))
            return std::nullopt;
        size_t last = k + 1;
        while (last + 1 < textWords.size() && joinedBySpace(textWords[last + 1].gapBefore) &&
               isCaseless(textWords[last + 1].text) && isKnown(textWords[last + 1].text, names))
            ++last;
        return std::make_pair(k, last);
    };
    // Family name first ("Nguyễn Minh", "Yılmaz Ayşe"): both known, neither a plain word.
    auto familyFirstAt = [&](size_t k) -> Span {
        if (k + 1 >= textWords.size() || !isNameWord(textWords[k].text) ||
            !names.isFamilyName(textWords[k].text) ||
            ambiguousGivenNames().contains(textWords[k].text.toString()) ||
            !joinedBySpace(textWords[k + 1].gapBefore) || !isNameWord(textWords[k + 1].text) ||
            !isGiven(textWords[k + 1].text, names) ||
            ambiguousGivenNames().contains(textWords[k + 1].text.toString()))
            return std::nullopt;
        return std::make_pair(k, extended(textWords, k + 1, names));
    };
    // The chat form "Given Family: message" at the start of a line: one to three name words
    // before the colon, at least one of them a known name.
    auto speakerAt = [&](size_t k) -> Span {
        if (!startsLine(text, textWords[k].start)) return std::nullopt;
        bool known = false;
        int nameWords = 0;
        for (size_t last = k; last < textWords.size() && last < k + 4; ++last) {
            const QStringView word = textWords[last].text;
            if (last > k && !joinedBySpace(textWords[last].gapBefore)) return std::nullopt;
            const bool particle = last > k && particles().contains(word.toString());
            if (!particle && !(isNameWord(word) ||
                               (isCaseless(word) && !CjkNames::isCjk(text, textWords[last].start))))
                return std::nullopt;
            if (!particle) ++nameWords;
            known = known || (isKnown(word, names) && !isAmbiguous(word));
            if (!colonAfter(text, textWords[last].end)) continue;
            // Two capitalised words before the colon are a speaker even when neither is known
            // ("Wanjiru Kamau: ..."): headings before a colon are rarely two proper words.
            const bool pair = nameWords == 2 && isNameWord(textWords[k].text) && isNameWord(word) &&
                              !isAmbiguous(textWords[k].text) && !isAmbiguous(word);
            if (known ? (nameWords > 1 || isGiven(word, names)) : pair)
                return std::make_pair(k, last);
            return std::nullopt;
        }
        return std::nullopt;
    };
    // Greetings before a name of a script without capitals: "مرحبا أحمد".
    auto greetedCaselessAt = [&](size_t k) -> Span {
        if (k + 1 >= textWords.size() || !greetings().contains(textWords[k].text.toString()) ||
            !joinedBySpace(textWords[k + 1].gapBefore) || !isCaseless(textWords[k + 1].text) ||
            !isGiven(textWords[k + 1].text, names))
            return std::nullopt;
        return std::make_pair(k + 1, k + 1);
    };

    std::vector<TextRange> found;
    size_t i = 0;
    while (i < textWords.size()) {
        if (CjkNames::isCjk(text, textWords[i].start)) {
            // A run of Han, Kana or Hangul holds its own names.
            const auto inRun = CjkNames::find(text, textWords[i].start, textWords[i].end, names);
            found.insert(found.end(), inRun.begin(), inRun.end());
            ++i;
            continue;
        }
        Span name = titledNameAt(i);
        if (!name) name = speakerAt(i);
        if (!name) name = givenNameAt(i);
        if (!name) name = familyFirstAt(i);
        if (!name) name = actorAt(i);
        if (!name) name = caselessNameAt(i);
        if (!name) name = greetedCaselessAt(i);
        // "Hi Anna Smith": the full name is found from the next word on.
        if (!name && !givenNameAt(i + 1)) name = greetedNameAt(i);
        if (name) {
            found.push_back({textWords[name->first].start, textWords[name->second].end});
            i = name->second + 1;
        } else {
            ++i;
        }
    }
    return found;
}

}  // namespace NameTagger

}  // namespace tarnwhistle
