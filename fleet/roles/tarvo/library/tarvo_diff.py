#!/usr/bin/python
"""Shows a planned change in Ansible's diff output (--diff), in check mode too."""

DOCUMENTATION = r"""
module: tarvo_diff
short_description: Report a change that another program plans, as Ansible's diff
description:
  - Changes nothing. Returns I(changed) as given and the two texts as the task's
    diff, which C(--diff) shows; runs in check mode too.
options:
  before:
    description: The text as it is.
    type: str
    default: ""
  after:
    description: The text as it would be.
    type: str
    default: ""
  before_header:
    description: Name of the text as it is.
    type: str
    default: before
  after_header:
    description: Name of the text as it would be.
    type: str
    default: after
  changed:
    description: Whether there is a change.
    type: bool
    required: true
"""

from ansible.module_utils.basic import AnsibleModule


def main():
    module = AnsibleModule(argument_spec={
        "before": {"type": "str", "default": ""}, "after": {"type": "str", "default": ""},
        "before_header": {"type": "str", "default": "before"},
        "after_header": {"type": "str", "default": "after"},
        "changed": {"type": "bool", "required": True}}, supports_check_mode=True)
    p = module.params
    module.exit_json(changed=p["changed"], diff={
        "before": p["before"], "after": p["after"],
        "before_header": p["before_header"], "after_header": p["after_header"]})


if __name__ == "__main__":
    main()
