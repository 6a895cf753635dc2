#include "platform/CodeArea.h"

#include <algorithm>
#include <cstring>

namespace velmora {

namespace {
constexpr std::size_t kPieceAlignment = 16;
std::size_t AlignUp(std::size_t n) { return (n + kPieceAlignment - 1) / kPieceAlignment * kPieceAlignment; }
}  // namespace

std::size_t StagedCode::Reserve(std::size_t size) {
    const std::size_t offset = AlignUp(bytes_.size());
    bytes_.resize(offset + size);
    return offset;
}

void StagedCode::Trim(std::size_t offset, std::size_t used) { bytes_.resize(offset + used); }

std::shared_ptr<const CodeMapping> CodeMapping::Publish(std::size_t size, const std::function<void(uint8_t*)>& write) {
    auto mapping = std::make_shared<CodeMapping>();
    mapping->block_.Allocate(size);
    write(mapping->block_.Data());
    mapping->block_.MakeExecutable();
    return mapping;
}

std::shared_ptr<const CodeMapping> CodeMapping::Publish(const StagedCode& code) {
    return Publish(code.Size(), [&](uint8_t* to) { std::memcpy(to, code.Bytes(), code.Size()); });
}

bool CodeMapping::Rewritable(const std::shared_ptr<const CodeMapping>& sole, std::size_t size) {
    return sole && sole.use_count() == 1 && sole->block_.Capacity() >= size;
}

void CodeMapping::Rewrite(const std::shared_ptr<const CodeMapping>& sole, const StagedCode& code) {
    // The sole holder may change what it holds: no one else can be running it.
    ExecutableBlock& block = const_cast<CodeMapping&>(*sole).block_;
    block.MakeWritable();
    std::memcpy(block.Data(), code.Bytes(), code.Size());
    block.MakeExecutable();
}

void CodeAreaMember::PublishOrEnlist() {
    if (area_ != nullptr && area_->IsOpen()) {
        area_->Enlist(*this);
        return;
    }
    try {
        if (CodeMapping::Rewritable(CurrentMapping(), Staged().Size())) {
            // The previous code is overwritten: nothing may refer to it meanwhile.
            std::shared_ptr<const CodeMapping> mapping = CurrentMapping();
            Forget();
            CodeMapping::Rewrite(mapping, Staged());
            Install(mapping, mapping->Base());
        } else {
            const auto mapping = CodeMapping::Publish(Staged());
            Install(mapping, mapping->Base());
        }
    } catch (...) {
        Discard();
        throw;
    }
}

void TCodeArea::Open() {
    Abandon();
    open_ = true;
}

void TCodeArea::Enlist(CodeAreaMember& member) {
    if (std::find(members_.begin(), members_.end(), &member) == members_.end()) members_.push_back(&member);
}

void TCodeArea::Commit() {
    std::shared_ptr<const CodeMapping> published;
    try {
        published = Publish();
    } catch (...) {
        Abandon();
        throw;
    }
    Install(published);
}

std::shared_ptr<const CodeMapping> TCodeArea::Publish() {
    // A member whose later build failed has nothing staged: it stays as it is.
    std::erase_if(members_, [](const CodeAreaMember* member) { return member->Staged().Empty(); });
    offsets_.clear();
    std::size_t size = 0;
    for (const CodeAreaMember* member : members_) {
        size = AlignUp(size);
        offsets_.push_back(size);
        size += member->Staged().Size();
    }
    if (members_.empty()) return nullptr;
    return CodeMapping::Publish(size, [&](uint8_t* to) {
        for (std::size_t i = 0; i < members_.size(); ++i)
            std::memcpy(to + offsets_[i], members_[i]->Staged().Bytes(), members_[i]->Staged().Size());
    });
}

void TCodeArea::Install(const std::shared_ptr<const CodeMapping>& published) noexcept {
    if (published)
        for (std::size_t i = 0; i < members_.size(); ++i) members_[i]->Install(published, published->Base() + offsets_[i]);
    mapping_ = published;
    members_.clear();
    open_ = false;
}

void TCodeArea::Abandon() noexcept {
    for (CodeAreaMember* member : members_) member->Discard();
    members_.clear();
    open_ = false;
}

}  // namespace velmora
