// TUnBh: extracts or tests the entries of a BH archive. Encrypted entries take a password
// checked against their ZipCrypto header as ZIP's are. Writers before major version 3
// keyed the data afresh from the password after the header, and left stored data
// unenciphered whatever the flags said; both are honoured.
#pragma once

#include <memory>
#include <optional>
#include <vector>

#include "codecs/crypto/ZipCrypto.h"
#include "codecs/inflate/InflateMember.h"
#include "codecs/lzh/LzhDecoder.h"
#include "engine/extract/UnCollected.h"
#include "engine/streams/DataDecipher.h"
#include "formats/bh/BhHeader.h"

namespace qel {

class TUnBh : public TUnCollected<bh::TBhHeader> {
 public:
  TUnBh();
  ~TUnBh() override;

 protected:
  int64_t Collect(std::vector<bh::TBhHeader>& entries) override;
  void Decode(const bh::TBhHeader& h) override;

 private:
  class TCipher : public IDataDecipher {
   public:
    void Use(const TZipCryptoKeys& keys) { keys_.emplace(keys); }
    void Decipher(uint8_t* data, size_t size) override { keys_->Decrypt(data, size); }

   private:
    std::optional<TZipCryptoKeys> keys_;
  };

  // Reads the cipher header and finds a password that fits it; false, reported, when none.
  bool Unlock(const bh::TBhHeader& h, const WideString& name);
  TDecodeResult DecodeData(const bh::TBhHeader& h, const TCodecSource& source,
                           const TCodecSink& sink);

  TCipher FCipher;
  TMemberInflater FInflater;
  std::unique_ptr<TLzhDecoder> FLzh, FFuse;  // made when first needed
};

}  // namespace qel
