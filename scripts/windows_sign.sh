#!/usr/bin/env bash
# Signs Windows executables, DLLs and the installer with Authenticode (osslsigncode) and verifies
# each signature, when a code-signing certificate is given; otherwise leaves the files as they are.
#   scripts/windows_sign.sh FILE...
#   scripts/windows_sign.sh --state     one line: how the build is signed
# The certificate comes from the environment:
#   TESSELLOR_SIGN_CERT       the certificate with its chain (PEM or DER), or a PKCS#12 file
#                             (.pfx, .p12) holding certificate and key
#   TESSELLOR_SIGN_KEY        the private key (PEM or DER), not with a PKCS#12 file
#   TESSELLOR_SIGN_PASSWORD   the password of the key or of the PKCS#12 file, if it has one
#   TESSELLOR_SIGN_TIMESTAMP  optional: the address of the certificate authority's timestamp
#                             server, so that signatures stay valid after the certificate expires
#   TESSELLOR_SIGN_CA         optional: the certificates that verification trusts (by default the
#                             system's authorities and the given chain)
set -euo pipefail

cert=${TESSELLOR_SIGN_CERT:-}
key=${TESSELLOR_SIGN_KEY:-}
case "$cert" in
*.pfx | *.p12 | *.PFX | *.P12) pkcs12=1 ;;
*) pkcs12=0 ;;
esac

if [ "${1:-}" = --state ]; then
    if [ -z "$cert" ]; then
        echo "Signature: unsigned (TESSELLOR_SIGN_CERT, TESSELLOR_SIGN_KEY and TESSELLOR_SIGN_PASSWORD sign a release)"
    else
        echo "Signature: signed with $cert"
    fi
    exit 0
fi
[ -n "$cert" ] || exit 0
if [ ! -f "$cert" ] || { [ $pkcs12 = 0 ] && [ ! -f "$key" ]; }; then
    echo "Signing: the certificate '$cert' and key '${key:-}' must both be files (TESSELLOR_SIGN_CERT, TESSELLOR_SIGN_KEY)" >&2
    exit 1
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# The password goes through a file only this user reads, never on a command line.
(umask 077 && printf '%s' "${TESSELLOR_SIGN_PASSWORD:-}" >"$work/password")
if [ $pkcs12 = 1 ]; then
    credentials=(-pkcs12 "$cert")
    openssl pkcs12 -in "$cert" -nokeys -passin "file:$work/password" -out "$work/chain.pem" 2>/dev/null
else
    credentials=(-certs "$cert" -key "$key")
    if grep -q -- '-----BEGIN' "$cert"; then
        cp "$cert" "$work/chain.pem"
    else
        openssl x509 -inform DER -in "$cert" -out "$work/chain.pem"
    fi
fi
[ -n "${TESSELLOR_SIGN_PASSWORD:-}" ] && credentials+=(-readpass "$work/password")
timestamp=()
[ -n "${TESSELLOR_SIGN_TIMESTAMP:-}" ] && timestamp=(-ts "$TESSELLOR_SIGN_TIMESTAMP")
if [ -n "${TESSELLOR_SIGN_CA:-}" ]; then
    trusted=$TESSELLOR_SIGN_CA
else
    trusted=$work/trusted.pem
    cat /etc/ssl/certs/ca-certificates.crt "$work/chain.pem" >"$trusted" 2>/dev/null || cp "$work/chain.pem" "$trusted"
fi

for file in "$@"; do
    rm -f "$work/signed"
    osslsigncode sign "${credentials[@]}" "${timestamp[@]}" -h sha256 -n "Tessellor" \
        -in "$file" -out "$work/signed" >"$work/sign.log" 2>&1 || {
        cat "$work/sign.log" >&2
        echo "Signing: $file could not be signed" >&2
        exit 1
    }
    if ! osslsigncode verify -CAfile "$trusted" -in "$work/signed" >"$work/verify.log" 2>&1; then
        cat "$work/verify.log" >&2
        echo "Signing: the signature of $file does not verify" >&2
        exit 1
    fi
    # The signed file takes the place of the original, with its permissions.
    cat "$work/signed" >"$file"
    echo "Signed and verified: $(basename "$file")"
done
