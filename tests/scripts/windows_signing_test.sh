#!/usr/bin/env bash
# The signing of the Windows build with a throw-away code-signing certificate made here: a program
# and a DLL built by the MinGW-w64 cross compiler are signed and verify; a byte changed after signing
# fails verification; a wrong password signs nothing; without a certificate the files stay as they
# are and the build says "unsigned" in one line.
#   windows_signing_test.sh SOURCE_DIR WORK_DIR
set -euo pipefail
sign=$1/scripts/windows_sign.sh
work=$2/windows-signing
rm -rf "$work"
mkdir -p "$work"
cd "$work"
failures=0
check() { # check DESCRIPTION COMMAND...
    local description=$1
    shift
    if "$@"; then
        echo "ok: $description"
    else
        echo "FAILED: $description"
        failures=$((failures + 1))
    fi
}

openssl req -x509 -newkey rsa:2048 -sha256 -days 2 -subj "/CN=Tessellor Test Signing" \
    -addext "extendedKeyUsage=codeSigning" -addext "keyUsage=digitalSignature" \
    -keyout key.pem -out cert.pem -passout pass:throw-away 2>/dev/null
printf 'int main(void) { return 0; }\n' >program.c
printf '__declspec(dllexport) int answer(void) { return 42; }\n' >library.c
x86_64-w64-mingw32-gcc-posix program.c -o program.exe
x86_64-w64-mingw32-gcc-posix -shared library.c -o library.dll
cp program.exe unsigned.exe

export -n TESSELLOR_SIGN_CERT TESSELLOR_SIGN_KEY TESSELLOR_SIGN_PASSWORD TESSELLOR_SIGN_TIMESTAMP TESSELLOR_SIGN_CA
unset TESSELLOR_SIGN_CERT TESSELLOR_SIGN_KEY TESSELLOR_SIGN_PASSWORD TESSELLOR_SIGN_TIMESTAMP TESSELLOR_SIGN_CA
state=$("$sign" --state)
check "without a certificate the build says unsigned in one line" \
    test "$(wc -l <<<"$state")" = 1 -a "${state#*unsigned}" != "$state"
"$sign" program.exe
check "without a certificate the files stay as they are" cmp -s program.exe unsigned.exe

export TESSELLOR_SIGN_CERT=$PWD/cert.pem TESSELLOR_SIGN_KEY=$PWD/key.pem TESSELLOR_SIGN_PASSWORD=wrong
check "a wrong password signs nothing and fails" bash -c '! "$1" program.exe 2>/dev/null' sh "$sign"
check "after a failed signing the file is unchanged" cmp -s program.exe unsigned.exe

export TESSELLOR_SIGN_PASSWORD=throw-away
check "the program and the DLL are signed and verified" "$sign" program.exe library.dll
verifies() { osslsigncode verify -CAfile cert.pem -in "$1" >/dev/null 2>&1; }
check "the signed program verifies against the certificate alone" verifies program.exe
check "the signed DLL verifies against the certificate alone" verifies library.dll
check "the signature names the signer" bash -c 'osslsigncode verify -CAfile cert.pem -in program.exe | grep -q "Tessellor Test Signing"'
check "the signed program is no longer the unsigned one" bash -c '! cmp -s program.exe unsigned.exe'

# A byte of the code changed after signing: the signature no longer matches.
cp program.exe tampered.exe
offset=$(($(stat -c %s tampered.exe) / 3))
printf '\x90' | dd of=tampered.exe bs=1 seek=$offset conv=notrunc status=none
check "a program changed after signing fails verification" \
    bash -c "$(declare -f verifies); ! verifies tampered.exe"

state=$("$sign" --state)
check "with a certificate the build says what signs it" test "${state#*signed with}" != "$state"

echo "$((10 - failures)) passed, $failures failed"
[ $failures = 0 ]
