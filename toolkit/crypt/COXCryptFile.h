#pragma once

#include "toolkit/crypt/COXConvertedFile.h"
#include "toolkit/crypt/COXMDCCryptor.h"

namespace toolkit::crypt {

// The converted file whose conversion is the 32-byte block cipher: enciphered script files.
// Constructed with conversion on and the program's default key at the given length.
class COXCryptFile : public COXConvertedFile
{
public:
    explicit COXCryptFile(int keyLengthBits);
    ~COXCryptFile() override;

    bool ConvertOnRead(const std::uint8_t* raw, std::uint8_t* plain) override;
    bool ConvertOnWrite(const std::uint8_t* plain, std::uint8_t* raw) override;

    bool SetKey(const std::uint8_t key[COXMDCCryptor::kKeyBytes]) { return m_cryptor.SetKey(key); }
    bool SetKeyLength(int keyLengthBits) { return m_cryptor.SetKeyLength(keyLengthBits); }
    const COXMDCCryptor& cryptor() const { return m_cryptor; }

private:
    COXMDCCryptor m_cryptor;
};

} // namespace toolkit::crypt
