#!/usr/bin/env python3
"""Prints the root dictionary of a keyed archive as JSON: each key with the kind of its value.

Written apart from the project's own reader, on Python's plistlib, so that a test can check
what a saved vault holds with eyes other than the writer's.
"""
import json
import plistlib
import sys


def main(path):
    with open(path, "rb") as f:
        archive = plistlib.load(f)
    objects = archive["$objects"]
    assert archive["$archiver"] == "NSKeyedArchiver" and archive["$version"] == 100000

    def resolve(v):
        return objects[v.data] if isinstance(v, plistlib.UID) else v

    def class_of(obj):
        return resolve(obj["$class"])["$classname"]

    def describe(v, depth=0):
        v = resolve(v)
        if isinstance(v, bool):
            return "bool"
        if isinstance(v, int):
            return "int"
        if isinstance(v, float):
            return "real"
        if isinstance(v, str):
            return "string"
        if isinstance(v, bytes):
            return "data[%d]" % len(v)
        if isinstance(v, dict) and "$class" in v:
            name = class_of(v)
            if name in ("NSDictionary", "NSMutableDictionary"):
                keys = [resolve(k) for k in v["NS.keys"]]
                return {"class": name,
                        "items": {k: describe(o, depth + 1) for k, o in zip(keys, v["NS.objects"])}}
            if name in ("NSArray", "NSMutableArray"):
                return {"class": name, "count": len(v["NS.objects"])}
            if name == "NSValue":
                return {"class": name, "special": v["NS.special"], "rect": resolve(v["NS.rectval"])}
            return {"class": name}
        return type(v).__name__

    root = archive["$top"]["root"]
    print(json.dumps(describe(root), sort_keys=True))


if __name__ == "__main__":
    main(sys.argv[1])
