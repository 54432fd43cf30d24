#include "core/lists/list_order.h"

#include "core/store/cp1252.h"

#include <cstring>

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

} // namespace mirelda
