"""python3 -m vaveze FILE...: a quick look at the listing of each file, in
UTF-8. For saving, folders, Shift-JIS and exit statuses, use vaveze-list."""
import argparse
import sys

import vaveze


def main() -> int:
    parser = argparse.ArgumentParser(
        prog="python3 -m vaveze", description="Prints the texts of drawing and symbol files in UTF-8, for a quick look.",
        epilog="To save listings, walk folders, write Shift-JIS or use exit statuses in scripts, use vaveze-list.")
    parser.add_argument("--header", action="store_true", help="the header section")
    parser.add_argument("--dimensions", action="store_true", help="the texts of dimensions")
    parser.add_argument("--blocks", action="store_true", help="the block section")
    parser.add_argument("files", nargs="+", metavar="FILE")
    arguments = parser.parse_args()
    failed = False
    for path in arguments.files:
        try:
            listing = vaveze.list_file(path, header=arguments.header, dimensions=arguments.dimensions,
                                       blocks=arguments.blocks)
        except (OSError, ValueError, MemoryError) as error:
            print(f"vaveze: {error}", file=sys.stderr)
            failed = True
            continue
        if len(arguments.files) > 1:
            sys.stdout.buffer.write(f"== {path} ==\n".encode("utf-8", "surrogateescape"))
        sys.stdout.buffer.write(listing.to_bytes("utf-8"))
        if not listing.complete:
            print(f"vaveze: {path}: {listing.message}, what was read is listed", file=sys.stderr)
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
