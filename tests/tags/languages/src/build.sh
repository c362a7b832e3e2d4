#!/bin/sh
alias ll='ls -l'
build() { cat <<END
text
END
}
