#!/usr/bin/env bash
# The engine's reference check cross-built for arm64 and run under qemu-user (see cross-check.sh).
exec bash "$(dirname "$0")/cross-check.sh" arm64
