#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "game/assets/LogFile.h"

namespace
{
std::string Contents(const std::string& path)
{
	std::ifstream file(path, std::ios::binary);
	std::stringstream text;
	text << file.rdbuf();
	return text.str();
}

std::string MakeScratch()
{
	char pattern[] = "/tmp/log-test-XXXXXX";
	return mkdtemp(pattern);
}
} // namespace

// One test, because the process-wide log comes into being only once.
TEST(LogFile, TheRunsLogIsTruncatedOnFirstUseOnlyAndCommitsAppendBareText)
{
	const std::string scratch = MakeScratch();
	ASSERT_EQ(0, chdir(scratch.c_str()));
	std::ofstream("log.txt") << "previous run";
	EXPECT_EQ("previous run", Contents("log.txt")) << "a run that logs nothing leaves the file alone";

	LogFile& log = GetLog();
	EXPECT_EQ("", Contents("log.txt")) << "first use starts the file afresh";
	log.buffer << "Pt0 broken query";
	log.Commit();
	log.buffer << "QUERY GOT BROKEN!" << 7;
	log.Commit();
	EXPECT_EQ("Pt0 broken queryQUERY GOT BROKEN!7", Contents("log.txt"));

	EXPECT_EQ(&log, &GetLog());
	EXPECT_EQ("Pt0 broken queryQUERY GOT BROKEN!7", Contents("log.txt")) << "later uses do not truncate";
	log.Commit();
	EXPECT_EQ("Pt0 broken queryQUERY GOT BROKEN!7", Contents("log.txt")) << "an empty commit adds nothing";
	std::system(("rm -rf " + scratch).c_str());
}

TEST(LogFile, AFailedCommitDropsTheTextAndTheNextCommitTriesAgain)
{
	const std::string scratch = MakeScratch();
	const std::string path = scratch + "/later/log.txt";
	LogFile log(path);
	log.buffer << "lost";
	log.Commit();
	EXPECT_EQ("", log.buffer.str());

	ASSERT_EQ(0, std::system(("mkdir " + scratch + "/later").c_str()));
	log.buffer << "kept";
	log.Commit();
	EXPECT_EQ("kept", Contents(path));
	std::system(("rm -rf " + scratch).c_str());
}
