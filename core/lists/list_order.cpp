#include "core/lists/list_order.h"

#include "core/store/cp1252.h"

#include <algorithm>
#include <cstring>
#include <numeric>

#include <unicode/coll.h>
#include <unicode/locid.h>
#include <unicode/unistr.h>

namespace mirelda {

namespace {

int CompareUpperBytes(std::string_view a, std::string_view b)
{
    std::string ua = UpperCp1252(a), ub = UpperCp1252(b);
    return ua < ub ? -1 : (ua == ub ? 0 : 1);
}

} // namespace

struct ListOrder::Impl
{
    std::unique_ptr<icu::Collator> collator;
};

ListOrder::ListOrder(const std::string& locale) : impl_(std::make_unique<Impl>())
{
    UErrorCode status = U_ZERO_ERROR;
    icu::Locale where = locale.empty() ? icu::Locale::getDefault() : icu::Locale(locale.c_str());
    // Under LANG=C ICU picks en_US_POSIX, whose collation orders every capital before every
    // small letter; a user's list must stay case-insensitive, so use the root order there.
    if (std::strcmp(where.getName(), "en_US_POSIX") == 0 || std::strcmp(where.getLanguage(), "") == 0)
        where = icu::Locale::getRoot();
    impl_->collator.reset(icu::Collator::createInstance(where, status));
    if (U_FAILURE(status)) {
        impl_->collator.reset();
        return;
    }
    // Secondary strength: letters and accents count, case does not.
    impl_->collator->setStrength(icu::Collator::SECONDARY);
}

ListOrder::~ListOrder() = default;
ListOrder::ListOrder(ListOrder&&) noexcept = default;
ListOrder& ListOrder::operator=(ListOrder&&) noexcept = default;

int ListOrder::Compare(std::u16string_view a, std::u16string_view b) const
{
    if (impl_ && impl_->collator) {
        UErrorCode status = U_ZERO_ERROR;
        UCollationResult r = impl_->collator->compare(a.data(), static_cast<int32_t>(a.size()), b.data(),
                                                      static_cast<int32_t>(b.size()), status);
        if (U_SUCCESS(status))
            return r;
    }
    return CompareUpperBytes(EncodeCp1252(a), EncodeCp1252(b));
}

int ListOrder::CompareCp1252(std::string_view a, std::string_view b) const
{
    if (impl_ && impl_->collator)
        return Compare(DecodeCp1252(a), DecodeCp1252(b));
    return CompareUpperBytes(a, b);
}

std::size_t ListOrder::InsertPosition(std::size_t count,
                                      const std::function<std::string(std::size_t)>& textAt,
                                      std::string_view text) const
{
    std::size_t low = 0, high = count;
    while (low < high) {
        std::size_t mid = low + (high - low) / 2;
        if (CompareCp1252(textAt(mid), text) <= 0)
            low = mid + 1;
        else
            high = mid;
    }
    return low;
}

std::string ListOrder::SortKey(std::string_view cp1252) const
{
    if (impl_ && impl_->collator) {
        // The collator's sort keys compare byte-wise exactly as the collator compares texts.
        const std::u16string text = DecodeCp1252(cp1252);
        const icu::UnicodeString unicode(false, text.data(), static_cast<int32_t>(text.size()));
        std::string key(64, '\0');
        for (;;) {
            const int32_t length = impl_->collator->getSortKey(
                unicode, reinterpret_cast<uint8_t*>(key.data()), static_cast<int32_t>(key.size()));
            if (length <= 0)
                break; // cannot happen with a valid collator; fall back below
            if (static_cast<std::size_t>(length) <= key.size()) {
                key.resize(static_cast<std::size_t>(length) - 1); // without the final NUL
                return key;
            }
            key.resize(static_cast<std::size_t>(length));
        }
    }
    return UpperCp1252(cp1252);
}

std::vector<std::size_t> ListOrder::SortedOrder(const std::vector<std::string_view>& texts) const
{
    std::vector<std::string> keys;
    keys.reserve(texts.size());
    for (std::string_view text : texts)
        keys.push_back(SortKey(text));
    std::vector<std::size_t> order(texts.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::stable_sort(order.begin(), order.end(),
                     [&keys](std::size_t a, std::size_t b) { return keys[a] < keys[b]; });
    return order;
}

} // namespace mirelda
