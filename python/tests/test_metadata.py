"""The installed distribution names its licence and its maintainer and
carries the licence's text: the project's LICENSE (MIT)."""
import importlib.metadata
import os

HERE = os.path.dirname(os.path.abspath(__file__))
LICENSE = os.path.join(os.path.dirname(os.path.dirname(HERE)), "LICENSE")


def test_licence_and_maintainer():
    meta = importlib.metadata.metadata("kelbrant")
    assert meta["License"] == "MIT"
    assert "License :: OSI Approved :: MIT License" in meta.get_all("Classifier")
    assert meta["Author"] == meta["Maintainer"] == "the kelbrant authors"
    assert "Maintainer-email" not in meta and "Author-email" not in meta


def test_the_licence_text_is_installed():
    files = importlib.metadata.files("kelbrant")
    licences = [f for f in files if f.name == "LICENSE"]
    assert len(licences) == 1
    text = licences[0].read_text()
    assert text.startswith("MIT License\n") and "the kelbrant authors" in text
    if os.path.isfile(LICENSE):
        with open(LICENSE) as f:
            assert text == f.read()
