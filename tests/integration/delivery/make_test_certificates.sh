#!/bin/sh
# Writes into folder $1 the certificates the TLS tests serve, all for 127.0.0.1 unless named
# otherwise: ca.pem (the CA the test trusts), good, wronghost (for example.org), expired,
# selfsigned, and otherca (signed by a CA nobody trusts); each NAME.pem with NAME.key.
set -eu
cd "$1"
cat > ca.cnf <<'CNF'
[ca]
default_ca = test
[test]
database = index.txt
new_certs_dir = .
serial = serial
default_md = sha256
policy = any
copy_extensions = copy
unique_subject = no
[any]
commonName = supplied
CNF
: > index.txt
echo 01 > serial

authority() {  # NAME
    openssl req -x509 -newkey rsa:2048 -nodes -keyout "$1.key" -out "$1.pem" -subj "/CN=$1" \
        -days 30 -addext basicConstraints=critical,CA:TRUE -addext keyUsage=keyCertSign 2>/dev/null
}
leaf() {  # NAME CA SAN START END
    openssl req -newkey rsa:2048 -nodes -keyout "$1.key" -out "$1.csr" -subj "/CN=$1" \
        -addext "subjectAltName=$3" 2>/dev/null
    openssl ca -batch -config ca.cnf -cert "$2.pem" -keyfile "$2.key" -in "$1.csr" -out "$1.pem" \
        -startdate "$4" -enddate "$5" 2>/dev/null
}

authority ca
authority nobody
leaf good ca IP:127.0.0.1 20200101000000Z 20991231000000Z
leaf wronghost ca DNS:example.org 20200101000000Z 20991231000000Z
leaf expired ca IP:127.0.0.1 20200101000000Z 20200201000000Z
leaf otherca nobody IP:127.0.0.1 20200101000000Z 20991231000000Z
openssl req -x509 -newkey rsa:2048 -nodes -keyout selfsigned.key -out selfsigned.pem \
    -subj /CN=selfsigned -days 30 -addext subjectAltName=IP:127.0.0.1 2>/dev/null
