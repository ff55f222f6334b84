#pragma once
#include <QSet>
#include <QString>

// The post_name WordPress gives a new post, so the shop links a product by its name.
namespace SlugWordPress {
// WordPress's sanitize_title as applied when a post is saved: tags removed, accents folded
// (ñ -> n, ß -> ss, æ -> ae), lower case, "/", "." and wide dashes or spaces to "-",
// "×" to "x", HTML entities removed, then every character other than a-z, 0-9, "_", "-"
// and blank dropped, runs of blanks to "-", repeated "-" collapsed, "-" trimmed at both
// ends, at most 200 characters. (WordPress keeps letters it cannot fold as %-escapes;
// here they are dropped, so the slug stays plain ASCII.)
QString sanitiza(const QString& titulo);

// `base` itself when no name in `ocupados` (lower case) takes it and it is not a feed
// name, otherwise base-2, base-3 ... : the first one free, as wp_unique_post_slug does.
// `desde`, when given, is the first suffix worth trying and is left past the one returned: a
// caller that only ever adds names to `ocupados` names many posts of one title in linear time.
QString unico(const QString& base, const QSet<QString>& ocupados, int* desde = nullptr);
}
