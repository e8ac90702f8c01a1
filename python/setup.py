"""The wheel carries libvaveze, so it is tagged for the platform the
library was built for (py3-none-linux_x86_64), not as pure Python; nothing
of it is compiled at install time."""
from setuptools import Distribution, setup
from wheel.bdist_wheel import bdist_wheel


class WithLibrary(Distribution):
    def has_ext_modules(self):
        return True


class AnyPython(bdist_wheel):
    def get_tag(self):
        return "py3", "none", super().get_tag()[2]


setup(distclass=WithLibrary, cmdclass={"bdist_wheel": AnyPython})
